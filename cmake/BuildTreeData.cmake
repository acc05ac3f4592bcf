# The build tree's data folder, laid out as an installed one (bin/ beside share/tavrin/), so that
# build/bin/tavrin finds its help page and sample files as an installed program does. Links to
# the sources, made when the tree is configured.
set(TAVRIN_BUILD_DATA_DIR ${CMAKE_BINARY_DIR}/share/tavrin)
file(MAKE_DIRECTORY ${TAVRIN_BUILD_DATA_DIR})
file(GLOB TAVRIN_BUILD_DATA_FILES ${TAVRIN_DATA_SOURCE_DIR}/help/Tavrin.html
     ${TAVRIN_DATA_SOURCE_DIR}/pictures/* ${TAVRIN_DATA_SOURCE_DIR}/clips/*.ra)
foreach(source ${TAVRIN_BUILD_DATA_FILES})
  get_filename_component(name ${source} NAME)
  file(CREATE_LINK ${source} ${TAVRIN_BUILD_DATA_DIR}/${name} SYMBOLIC)
endforeach()
