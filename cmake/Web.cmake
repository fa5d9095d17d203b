# The web player: the same libraries built with emscripten for WebAssembly, the web back end
# (src/platform/web) in place of SDL, and the page's entry (src/app/web). The libraries it
# links come from scripts/build-web-deps (Debian's sources compiled with emcc); `make web`
# runs it and passes its folder as ZAMP_WEB_DEPS. The player and the files of its page are
# gathered in page/ of the build folder, where tools/web-pack takes them from.
set(ZAMP_WEB_DEPS "" CACHE PATH "Output folder of scripts/build-web-deps")
if(NOT EXISTS ${ZAMP_WEB_DEPS}/lib/liblua.a)
  message(FATAL_ERROR "ZAMP_WEB_DEPS (${ZAMP_WEB_DEPS}) holds no libraries: run scripts/build-web-deps or make web")
endif()

# C++ exceptions carry every error to its one handler, on the web too.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)

foreach(dep lua z meshoptimizer modplug)
  add_library(web_${dep} STATIC IMPORTED)
  set_target_properties(web_${dep} PROPERTIES IMPORTED_LOCATION ${ZAMP_WEB_DEPS}/lib/lib${dep}.a)
  target_include_directories(web_${dep} INTERFACE ${ZAMP_WEB_DEPS}/include)
endforeach()

zamp_library(zamp_core core)
zamp_library(zamp_curves curves zamp_core)
zamp_library(zamp_gfx gfx zamp_core web_meshoptimizer)
add_library(zamp_platform INTERFACE)
zamp_include_root(zamp_platform INTERFACE platform)
target_link_libraries(zamp_platform INTERFACE zamp_gfx)
zamp_library(zamp_siv siv zamp_gfx web_z)
zamp_library(zamp_show show zamp_siv zamp_curves zamp_platform)
zamp_library(zamp_script script zamp_show web_lua)
zamp_library(zamp_gl platform/gl zamp_platform)
zamp_library(zamp_modplug platform/modplug zamp_platform web_modplug)
zamp_library(zamp_web platform/web zamp_gl zamp_modplug)
target_include_directories(zamp_web PRIVATE ${ZAMP_WEB_DEPS}/include)

# The page plays: the desktop's entry, its author's mode and its offline renders stay out
# (they need what src/platform/Authoring.h lists, which the web back end does not provide).
file(GLOB APP_SOURCES CONFIGURE_DEPENDS src/app/*.cpp src/app/web/*.cpp)
foreach(desktop main Player OfflineRun RenderLoop VideoRender AuthorSession Overlay FileWatch MusicWav ModelCache)
  list(REMOVE_ITEM APP_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/src/app/${desktop}.cpp)
endforeach()
add_executable(zamp ${APP_SOURCES})
zamp_include_root(zamp PRIVATE app app/web)
target_compile_definitions(zamp PRIVATE ZAMP_VERSION="${PROJECT_VERSION}")
target_link_libraries(zamp PRIVATE zamp_script zamp_web)

set(web_dir ${CMAKE_CURRENT_SOURCE_DIR}/src/platform/web)
set(page_dir ${CMAKE_BINARY_DIR}/page)
set_target_properties(zamp PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${page_dir}
  LINK_DEPENDS ${web_dir}/library.js)
target_link_options(zamp PRIVATE
  --js-library ${web_dir}/library.js
  -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2
  -sALLOW_MEMORY_GROWTH=1
  -sFORCE_FILESYSTEM=1
  -sINVOKE_RUN=0 -sEXIT_RUNTIME=0
  -sENVIRONMENT=web
  "-sEXPORTED_RUNTIME_METHODS=['callMain']")

# The page's own files beside the player.
set(page_files ${web_dir}/audio-worklet.js ${web_dir}/audio-graph.js
    ${CMAKE_CURRENT_SOURCE_DIR}/src/app/web/index.html ${CMAKE_CURRENT_SOURCE_DIR}/src/app/web/page.js)
add_custom_command(TARGET zamp POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy ${page_files} ${page_dir}
  VERBATIM)
