# What both host builds (the sanitizer tests and the fuzzers) share: C++17, the sanitizers, only
# Boost's headers beside the system ones, and the product sources that need no platform call as
# the library tessilo_portable. Set HOST_COMPILE_OPTIONS before including it for extra flags.
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

get_filename_component(TESSILO_ROOT ${CMAKE_CURRENT_LIST_DIR}/../.. ABSOLUTE)

set(SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(-Wall -Wextra -g ${SANITIZE} ${HOST_COMPILE_OPTIONS})
add_link_options(${SANITIZE})

set(BOOST_ONLY_DIR ${CMAKE_BINARY_DIR}/boost-only)
file(MAKE_DIRECTORY ${BOOST_ONLY_DIR})
if(NOT EXISTS ${BOOST_ONLY_DIR}/boost)
  file(CREATE_LINK /usr/include/boost ${BOOST_ONLY_DIR}/boost SYMBOLIC)
endif()

add_library(tessilo_portable STATIC
  ${TESSILO_ROOT}/ui/FixedPoint.cpp
  ${TESSILO_ROOT}/settings/ValueHistory.cpp
  ${TESSILO_ROOT}/capture/OutputNaming.cpp
  ${TESSILO_ROOT}/capture/CaptureSchedule.cpp
  ${TESSILO_ROOT}/capture/FramePipeline.cpp
  ${TESSILO_ROOT}/image/Dib.cpp
  ${TESSILO_ROOT}/image/BmpFileHeader.cpp
  ${TESSILO_ROOT}/image/ScreenDib.cpp
  ${TESSILO_ROOT}/settings/RegistryStringRules.cpp
  ${TESSILO_ROOT}/screen/FrameFile.cpp
  ${TESSILO_ROOT}/screen/PixelFormat.cpp
  ${TESSILO_ROOT}/screen/DesktopLayout.cpp
  ${TESSILO_ROOT}/screen/FirstFrameDeadline.cpp
  ${TESSILO_ROOT}/capture/DiskReserve.cpp
  ${TESSILO_ROOT}/ui/ByteSize.cpp
)
find_package(Threads REQUIRED)
target_link_libraries(tessilo_portable PUBLIC Threads::Threads)
target_include_directories(tessilo_portable PUBLIC ${TESSILO_ROOT})
target_include_directories(tessilo_portable SYSTEM PUBLIC ${BOOST_ONLY_DIR})
