# Compiling the windows' readable layouts (forms/UnitN.layout) into their
# binary layout resources. The layout compiler is LAYOUT_COMPILER (a target
# of this build, or the file of one built natively) and the commands depend
# on LAYOUT_COMPILER_DEPENDS (the target that builds it).

# Compiles `layout` into `output`.
function(compile_layout layout output)
    get_filename_component(directory ${output} DIRECTORY)
    get_filename_component(name ${layout} NAME)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${directory}
        COMMAND ${LAYOUT_COMPILER} ${layout} ${output}
        DEPENDS ${layout} ${LAYOUT_COMPILER_DEPENDS}
        COMMENT "Compiling the layout ${name}")
endfunction()

# Compiles the three windows' layouts into `directory` as TFORM1.bin ..
# TFORM3.bin, and sets `outputs` to the list of them.
function(compile_window_layouts directory outputs)
    set(compiled "")
    foreach(index 1 2 3)
        compile_layout(${CMAKE_SOURCE_DIR}/forms/Unit${index}.layout ${directory}/TFORM${index}.bin)
        list(APPEND compiled ${directory}/TFORM${index}.bin)
    endforeach()
    set(${outputs} ${compiled} PARENT_SCOPE)
endfunction()
