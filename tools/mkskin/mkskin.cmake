# The skin builder (a host tool) and the rule that turns a skin's sources in art/skins/ into a
# skin file: the drawings rendered to bitmaps, the text part converted to GBK, then mkskin.
if(NOT TARGET host_mkskin)
  sd_host_tool(mkskin SOURCES
    "${CMAKE_SOURCE_DIR}/tools/mkskin/mkskin.cpp"
    "${CMAKE_SOURCE_DIR}/skins/skinfile.cpp"
    "${CMAKE_SOURCE_DIR}/skins/bitmapcheck.cpp"
    "${CMAKE_SOURCE_DIR}/skins/skinwriter.cpp"
    "${CMAKE_SOURCE_DIR}/core/text.cpp"
    "${CMAKE_SOURCE_DIR}/core/digitpairs.cpp")
  set(mkskin_EXE "${mkskin_EXE}" CACHE INTERNAL "")
  # Every skin built lands here too: the seeds of the reader's fuzz target.
  set(SD_SKIN_CORPUS "${CMAKE_BINARY_DIR}/skins/corpus" CACHE INTERNAL "")
  add_custom_target(skins_dist ALL)
endif()

# sd_skin(name OUTPUT file): builds art/skins/<name> into file.
function(sd_skin name)
  cmake_parse_arguments(A "" "OUTPUT" "" ${ARGN})
  set(src "${CMAKE_SOURCE_DIR}/art/skins/${name}")
  file(GLOB deps CONFIGURE_DEPENDS "${src}/*" "${CMAKE_SOURCE_DIR}/art/skins/common/*")
  set(work "${CMAKE_BINARY_DIR}/skins/${name}")
  set(script "${CMAKE_SOURCE_DIR}/tools/mkskin/render_skin.py")
  add_custom_command(OUTPUT "${A_OUTPUT}"
    COMMAND python3 "${script}" --src "${src}" --work "${work}" --mkskin "${mkskin_EXE}"
            --out "${A_OUTPUT}" --corpus "${SD_SKIN_CORPUS}"
    DEPENDS ${deps} "${script}" "${mkskin_EXE}" host_mkskin
    COMMENT "Building skin ${name}"
    VERBATIM)
  add_custom_target(skin_${name} DEPENDS "${A_OUTPUT}")
  add_dependencies(skins_dist skin_${name})
endfunction()
