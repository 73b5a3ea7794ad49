# The fuzz targets, shared by the libFuzzer build (fuzz/CMakeLists.txt) and the replay test
# of the normal build (tests/fuzzreplay). Each name has its inputs under corpus/<name>/ and
# regressions/<name>/; the picture decoders share one source, told apart by the format.
set(ZOLVEX_FUZZ_TARGETS
  ktq_local_file image_description tile_payload frame_parser xml_reader legacy_map
  mon_index url xmml_document image_gif image_bmp image_tga image_jpeg image_png image_tiff image_webp
  ktqserve_request_line ktqserve_http_request ktqserve_clip_upload)

# zolvex_fuzz_target_libraries(NAME LIBS_VAR): the tile server's targets also link its sessions.
function(zolvex_fuzz_target_libraries name libs_var)
  if(name MATCHES "^ktqserve_")
    set(${libs_var} libzolvex zolvex_ktqserve PARENT_SCOPE)
  else()
    set(${libs_var} libzolvex PARENT_SCOPE)
  endif()
endfunction()

# zolvex_fuzz_target_source(NAME SOURCE_VAR DEFINITIONS_VAR)
function(zolvex_fuzz_target_source name source_var defs_var)
  set(fuzz_dir ${PROJECT_SOURCE_DIR}/fuzz)
  if(name MATCHES "^image_(gif|bmp|tga|jpeg|png|tiff|webp)$")
    string(SUBSTRING ${CMAKE_MATCH_1} 0 1 first)
    string(SUBSTRING ${CMAKE_MATCH_1} 1 -1 others)
    string(TOUPPER ${first} first)
    set(format ${first}${others})
    set(${source_var} ${fuzz_dir}/image_decoder.cpp PARENT_SCOPE)
    set(${defs_var} ZOLVEX_FUZZ_FORMAT=qmFormat${format} PARENT_SCOPE)
  else()
    set(${source_var} ${fuzz_dir}/${name}.cpp PARENT_SCOPE)
    set(${defs_var} "" PARENT_SCOPE)
  endif()
endfunction()
