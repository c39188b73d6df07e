# DLLs needed only for one user action (a drop, the Browse box) are loaded on first use: under
# Wine each one, with the DLLs it pulls in, lengthens every start of the window.
#   tessaline_delay_load(NAME DLL) defines the link target delay_NAME, to be linked in place of
#   NAME. The functions the program takes from the DLL are listed in cmake/delay_load/NAME.def.
function(tessaline_delay_load name dll)
    set(target delay_${name})
    add_library(${target} INTERFACE)
    if(MSVC)
        target_link_libraries(${target} INTERFACE ${name} delayimp)
        target_link_options(${target} INTERFACE /DELAYLOAD:${dll})
        return()
    endif()
    find_program(TESSALINE_DLLTOOL NAMES ${TOOLCHAIN_PREFIX}-dlltool dlltool REQUIRED)
    set(def ${PROJECT_SOURCE_DIR}/cmake/delay_load/${name}.def)
    set(lib ${PROJECT_BINARY_DIR}/delay_load/lib${name}_delay.a)
    # Made while configuring, so that the link needs no custom step; a changed list reconfigures.
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
    file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/delay_load)
    execute_process(
        COMMAND ${TESSALINE_DLLTOOL} --input-def ${def} --dllname ${dll} --output-delaylib ${lib}
        RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "dlltool could not make the delay-load library for ${dll}")
    endif()
    target_link_libraries(${target} INTERFACE ${lib} delayimp)
endfunction()
