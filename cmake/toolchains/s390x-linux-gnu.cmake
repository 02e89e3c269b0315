# Cross build for IBM Z (s390x, big-endian) with Debian's g++-s390x-linux-gnu; programs of
# the build run under qemu-user (qemu-s390x). zlib for s390x is not part of the cross
# compiler: QUELLIX_S390X_ZLIB names a directory holding Debian's zlib1g-dev:s390x unpacked
# (cmake/toolchains/unpack-s390x-zlib.sh makes one); it is linked statically, so that the
# programs need no s390x libz at run time.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(CMAKE_LIBRARY_ARCHITECTURE s390x-linux-gnu)
set(CMAKE_C_COMPILER s390x-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER s390x-linux-gnu-g++)

# Kept for the try_compile projects, which see only the variables named here.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUELLIX_S390X_ZLIB)
if(NOT QUELLIX_S390X_ZLIB AND DEFINED ENV{QUELLIX_S390X_ZLIB})
  set(QUELLIX_S390X_ZLIB "$ENV{QUELLIX_S390X_ZLIB}")
endif()
set(CMAKE_FIND_ROOT_PATH /usr/s390x-linux-gnu ${QUELLIX_S390X_ZLIB})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ZLIB_USE_STATIC_LIBS ON)

find_program(QUELLIX_QEMU_S390X qemu-s390x NO_CMAKE_FIND_ROOT_PATH)
if(QUELLIX_QEMU_S390X)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${QUELLIX_QEMU_S390X};-L;/usr/s390x-linux-gnu")
endif()
