# Release builds give the same bytes from any folder at any time: source and build paths are
# mapped away (debug info, __FILE__, assertion texts) and the linker writes no time stamp into
# the PE header. Resources need nothing: windres writes a zero COFF time stamp.
option(TESSALINE_REPRODUCIBLE "Build binaries that do not depend on the folder or the time" OFF)

if(TESSALINE_REPRODUCIBLE AND NOT MSVC)
    add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
                        -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)
    if(WIN32)
        add_link_options(LINKER:--no-insert-timestamp)
    endif()
endif()

# Release exes are linked without symbols: running strip afterwards would write the current
# time (or SOURCE_DATE_EPOCH) into the PE header that the linker left at zero.
option(TESSALINE_STRIPPED "Link executables without symbols" OFF)
if(TESSALINE_STRIPPED AND NOT MSVC)
    add_link_options(LINKER:--strip-all)
endif()
