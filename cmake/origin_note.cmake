# tervo_mark_origin(<target> <text>): builds an ELF note into a library of the
# project's own, so that the programs can tell it from a vendor's and say what
# it is ("virtual scanner", "test double") beside its path.
function(tervo_mark_origin target text)
  set(TERVO_ORIGIN_TARGET ${target})
  set(TERVO_ORIGIN_TEXT ${text})
  set(source ${CMAKE_BINARY_DIR}/origin_notes/${target}.c)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/origin_note.c.in ${source} @ONLY)
  target_sources(${target} PRIVATE ${source})
endfunction()
