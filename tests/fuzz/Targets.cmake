# The fuzz targets: each <name>Fuzz.cpp with its seed corpus in corpus/<name>/. Shared by the
# libFuzzer build here and the corpus replay of the native sanitizer build.
set(FUZZ_TARGETS
  FixedPoint
  ClipboardBlock
  RegistryString
  FrameHeader
)
