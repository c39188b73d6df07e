# Cross build for 64-bit Windows with Clang, against the same MinGW-w64 headers, C++ library
# and linker as the GCC build (cmake/mingw-w64-x86_64.cmake). A second compiler's opinion on
# the same code: the nearest check to MSVC this machine allows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_SYSROOT /usr/${TOOLCHAIN_PREFIX})

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Debian names the GCC folder "12-posix", which Clang does not take for a GCC version, so it
# finds neither libstdc++'s headers nor its libraries by itself.
file(GLOB TESSALINE_MINGW_GCC_DIRS LIST_DIRECTORIES true /usr/lib/gcc/${TOOLCHAIN_PREFIX}/*-posix)
list(SORT TESSALINE_MINGW_GCC_DIRS COMPARE NATURAL ORDER DESCENDING)
list(GET TESSALINE_MINGW_GCC_DIRS 0 TESSALINE_MINGW_GCC_DIR)
if(NOT EXISTS ${TESSALINE_MINGW_GCC_DIR}/include/c++)
    message(FATAL_ERROR "no MinGW-w64 GCC (posix) with C++ headers under /usr/lib/gcc/${TOOLCHAIN_PREFIX}")
endif()
set(_cxx ${TESSALINE_MINGW_GCC_DIR}/include/c++)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${_cxx} ${_cxx}/${TOOLCHAIN_PREFIX} ${_cxx}/backward)

# Static, like the GCC build; -pthread brings winpthread after libgcc_eh, which needs it.
# Linked by lld: GNU ld warns "duplicate section ... has different size" for every standard
# exception's type info, because Clang and GCC lay out those COMDAT sections differently. The
# sections are interchangeable, and lld picks one without the noise, so linker warnings can be
# errors here too.
set(_link "-static -pthread -L${TESSALINE_MINGW_GCC_DIR} -fuse-ld=lld -Wl,--fatal-warnings")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${_link}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${_link}")
