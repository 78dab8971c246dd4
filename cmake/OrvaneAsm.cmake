# Assembling TMS7000 sources at build time with orvane-asm.
#
#   orvane_assemble(TARGET name SOURCE prog.asm OUTPUT prog.bin
#                   [BASE address] [SIZE bytes] [FILL byte] [CARTRIDGE 8|16|32]
#                   [LISTING prog.lst] [SYMBOLS prog.sym])
#
# Makes the custom target `name`, which builds OUTPUT (relative paths: to the
# current binary directory; SOURCE to the current source directory). Files
# named by INCLUDE are tracked through a dependency file, so editing any of
# them reassembles. Numbers take the assembler's command-line syntax
# (decimal, $hex or 0xhex, K suffix for sizes).
function(orvane_assemble)
  cmake_parse_arguments(PARSE_ARGV 0 ARG "" "TARGET;SOURCE;OUTPUT;BASE;SIZE;FILL;CARTRIDGE;LISTING;SYMBOLS" "")
  if(NOT ARG_TARGET OR NOT ARG_SOURCE OR NOT ARG_OUTPUT)
    message(FATAL_ERROR "orvane_assemble needs TARGET, SOURCE and OUTPUT")
  endif()
  get_filename_component(source ${ARG_SOURCE} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  get_filename_component(output ${ARG_OUTPUT} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_BINARY_DIR})
  get_filename_component(output_dir ${output} DIRECTORY)

  set(args)
  foreach(option BASE SIZE FILL CARTRIDGE)
    if(DEFINED ARG_${option})
      string(TOLOWER ${option} flag)
      list(APPEND args --${flag} ${ARG_${option}})
    endif()
  endforeach()
  set(outputs ${output})
  if(ARG_LISTING)
    get_filename_component(listing ${ARG_LISTING} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_BINARY_DIR})
    list(APPEND args -l ${listing})
    list(APPEND outputs ${listing})
  endif()
  if(ARG_SYMBOLS)
    get_filename_component(symbols ${ARG_SYMBOLS} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_BINARY_DIR})
    list(APPEND args --symbols ${symbols})
    list(APPEND outputs ${symbols})
  endif()

  add_custom_command(
    OUTPUT ${outputs}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${output_dir}
    COMMAND orvane-asm ${args} -o ${output} -M ${output}.d ${source}
    DEPENDS orvane-asm ${source}
    DEPFILE ${output}.d
    COMMENT "Assembling ${ARG_SOURCE}"
    VERBATIM)
  add_custom_target(${ARG_TARGET} DEPENDS ${outputs})
endfunction()
