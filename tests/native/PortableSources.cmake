# The product sources that need no platform call, for the host builds (sanitizers, fuzzers).
set(PORTABLE_SOURCES
  ${TESSILO_ROOT}/ui/FixedPoint.cpp
  ${TESSILO_ROOT}/settings/ValueHistory.cpp
  ${TESSILO_ROOT}/capture/OutputNaming.cpp
  ${TESSILO_ROOT}/image/Dib.cpp
  ${TESSILO_ROOT}/image/BmpFileHeader.cpp
  ${TESSILO_ROOT}/settings/RegistryStringRules.cpp
)
