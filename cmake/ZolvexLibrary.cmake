# zolvex_library(NAME SOURCES... [DEPS libs...])
# Declares the static library zolvex_NAME of one subsystem folder. Sources are globbed per
# folder so that adding a class pair needs no edit here.
function(zolvex_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;SOURCES" ${ARGN})
  if(NOT ARG_SOURCES)
    # A subsystem whose classes have not arrived yet still links as an empty library.
    set(ARG_SOURCES ${CMAKE_CURRENT_BINARY_DIR}/empty_${name}.cpp)
    file(WRITE ${ARG_SOURCES} "// no sources yet\n")
  endif()
  add_library(zolvex_${name} STATIC ${ARG_SOURCES})
  target_include_directories(zolvex_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(zolvex_${name} PUBLIC ${ARG_DEPS} Threads::Threads)
endfunction()

# Collects the .cpp files of a folder (not recursive).
function(zolvex_sources out dir)
  file(GLOB files CONFIGURE_DEPENDS ${dir}/*.cpp)
  set(${out} ${files} PARENT_SCOPE)
endfunction()
