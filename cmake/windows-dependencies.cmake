# What the Windows build links, found in the mingw sysroot and in the prefix where
# scripts/build-windows.sh installs minizip and GoogleTest built from Debian's sources.
set(BRELMOX_WIN_DEPS "${CMAKE_BINARY_DIR}/deps/prefix" CACHE PATH
    "Where minizip and GoogleTest for Windows are installed")
list(APPEND CMAKE_FIND_ROOT_PATH ${BRELMOX_WIN_DEPS})

# Every file is opened in binary mode and sizes are 64-bit; names go to the system as UTF-16.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)

set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)
find_package(Threads REQUIRED)
if(NOT BRELMOX_PROVIDER_ONLY)
    find_package(GTest REQUIRED CONFIG)
endif()

find_library(BRELMOX_MINIZIP_LIBRARY minizip REQUIRED)
find_path(BRELMOX_MINIZIP_INCLUDE minizip/zip.h REQUIRED)
add_library(minizip::minizip STATIC IMPORTED)
set_target_properties(minizip::minizip PROPERTIES IMPORTED_LOCATION ${BRELMOX_MINIZIP_LIBRARY}
                      INTERFACE_INCLUDE_DIRECTORIES ${BRELMOX_MINIZIP_INCLUDE}
                      INTERFACE_LINK_LIBRARIES ZLIB::ZLIB)

# nlohmann-json is header-only and the same for every target: Debian's headers are seen
# through a folder that holds them alone, so the build machine's other headers never are.
find_path(BRELMOX_JSON_HEADERS nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH
          NO_DEFAULT_PATH REQUIRED)
set(json_include ${CMAKE_BINARY_DIR}/json-include)
file(MAKE_DIRECTORY ${json_include})
file(CREATE_LINK ${BRELMOX_JSON_HEADERS}/nlohmann ${json_include}/nlohmann SYMBOLIC)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
                      INTERFACE_INCLUDE_DIRECTORIES ${json_include})
