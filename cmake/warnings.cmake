# Warnings are errors on every compiler the project builds with.
function(tessaline_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /WX /permissive-)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor
                                                 -Werror)
    endif()
    # Clang's extras, chosen to match what MSVC's /W4 reports on the same code: narrowing of
    # 64-bit values, fall-through, unreachable code, shadowed fields and odd printf formats.
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang" AND NOT MSVC)
        target_compile_options(${target} PRIVATE -Wshorten-64-to-32 -Wimplicit-fallthrough
                                                 -Wunreachable-code -Wshadow-field
                                                 -Wformat=2 -Wextra-semi)
    endif()
endfunction()
