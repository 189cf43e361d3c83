# Each folder of the program is one layer and one static library that links
# only the layers below it. Two checks keep it so:
# - a link check per layer: a program that pulls in every object of the
#   layer (whole archive) with only the layers it names, so a call into a
#   layer above fails to link while building;
# - the include check (tools/check_layers.cmake, run by ctest), so a layer
#   cannot include a header of a layer above it, nor a platform or Qt.
#
#   nadelwerk_layer(NAME SOURCES... [USES LAYER...])
set(NADELWERK_LINK_CHECK_MAIN ${CMAKE_CURRENT_LIST_DIR}/link_check_main.cpp)

function(nadelwerk_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 LAYER "" "" "USES")
  add_library(${name} STATIC ${LAYER_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PUBLIC ${LAYER_USES} PRIVATE nadelwerk_warnings)
  # The sanitizers' vptr checks refer to the dialog's type information,
  # which the application layer defines: the normal build checks the links.
  if(NADELWERK_SANITIZE OR NADELWERK_FUZZ)
    return()
  endif()
  add_executable(${name}_link_check ${NADELWERK_LINK_CHECK_MAIN})
  target_link_libraries(${name}_link_check PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${name}>"
                        ${LAYER_USES})
endfunction()
