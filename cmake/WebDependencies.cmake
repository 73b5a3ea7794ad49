# Third-party libraries of the WebAssembly build: the C libraries that scripts/build-web.sh
# built for WebAssembly into ZOLVEX_WEB_PREFIX, and Asio's headers from the system (they
# hold no machine code). Everything is compiled with threads: workers fetch while the page runs.
set(ZOLVEX_WEB_PREFIX "" CACHE PATH "Where the WebAssembly builds of zlib, libpng, libjpeg and cairo live")
if(NOT EXISTS "${ZOLVEX_WEB_PREFIX}/lib/libcairo.a")
  message(FATAL_ERROR "ZOLVEX_WEB_PREFIX does not hold the WebAssembly libraries: run scripts/build-web.sh")
endif()
# One optimisation level for everything, -O2: -O3 costs build time for little speed here.
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE "-O2")
# WebAssembly's 128-bit vectors (every browser with threads has them): the pixel loops of
# composing and showing frames become vector code, as SSE2 makes them natively.
add_compile_options(-pthread -fexceptions -msimd128)
add_link_options(-pthread -fexceptions)

add_library(Threads::Threads INTERFACE IMPORTED)

function(zolvex_web_library target file)
  add_library(${target} STATIC IMPORTED)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION "${ZOLVEX_WEB_PREFIX}/lib/${file}"
                                             INTERFACE_INCLUDE_DIRECTORIES "${ZOLVEX_WEB_PREFIX}/include")
  if(ARGN)
    set_target_properties(${target} PROPERTIES INTERFACE_LINK_LIBRARIES "${ARGN}")
  endif()
endfunction()
zolvex_web_library(ZLIB::ZLIB libz.a)
zolvex_web_library(PNG::PNG libpng16.a ZLIB::ZLIB)
zolvex_web_library(JPEG::JPEG libjpeg.a)
zolvex_web_library(zolvex_pixman libpixman-1.a)
zolvex_web_library(zolvex_cairo libcairo.a zolvex_pixman PNG::PNG ZLIB::ZLIB)
set_property(TARGET zolvex_cairo APPEND PROPERTY INTERFACE_INCLUDE_DIRECTORIES "${ZOLVEX_WEB_PREFIX}/include/cairo")

# Asio is header-only; a folder of its own keeps the system's other headers out of sight.
find_path(ASIO_INCLUDE_DIR asio.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(asio_dir ${CMAKE_BINARY_DIR}/asio-include)
file(MAKE_DIRECTORY ${asio_dir})
file(CREATE_LINK ${ASIO_INCLUDE_DIR}/asio.hpp ${asio_dir}/asio.hpp SYMBOLIC)
file(CREATE_LINK ${ASIO_INCLUDE_DIR}/asio ${asio_dir}/asio SYMBOLIC)
add_library(asio INTERFACE)
target_include_directories(asio SYSTEM INTERFACE ${asio_dir})
target_compile_definitions(asio INTERFACE ASIO_STANDALONE ASIO_NO_DEPRECATED)
