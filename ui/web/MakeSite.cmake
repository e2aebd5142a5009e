# Gathers the site into SITE: the page's files (FILES), the core (CORE.js and CORE.wasm), the
# table worker's module (TABLE.js and TABLE.wasm), the pictures and icons from ASSETS, the FONTS
# as WOFF2, and last the service worker (WORKER), which lists every other file and names its
# cache by VERSION and a hash of their contents.
# Run by the build: cmake -DSITE=... -P MakeSite.cmake

file(REMOVE_RECURSE ${SITE})
file(MAKE_DIRECTORY ${SITE}/images ${SITE}/icons ${SITE}/fonts)

file(COPY ${FILES} ${CORE}.js ${CORE}.wasm ${TABLE}.js ${TABLE}.wasm DESTINATION ${SITE})
file(COPY ${ASSETS}/Image1.gif ${ASSETS}/Image3_main.gif ${ASSETS}/Image3_about.gif
     DESTINATION ${SITE}/images)
file(COPY_FILE ${ASSETS}/icons/hicolor/32x32/apps/tarnwick.png ${SITE}/icons/icon-32.png)
file(COPY ${ASSETS}/web/icon-192.png ${ASSETS}/web/icon-512.png DESTINATION ${SITE}/icons)

foreach(font ${FONTS})
    get_filename_component(name ${font} NAME_WE)
    file(COPY_FILE ${font} ${SITE}/fonts/${name}.ttf)
    execute_process(COMMAND ${WOFF2_COMPRESS} ${SITE}/fonts/${name}.ttf
                    OUTPUT_QUIET ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE ${SITE}/fonts/${name}.ttf)
endforeach()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${SITE} ${SITE}/*)
list(SORT files)
set(hashes "")
set(listed "'./'")
foreach(file ${files})
    file(SHA256 ${SITE}/${file} hash)
    string(APPEND hashes "${hash} ${file}\n")
    string(APPEND listed ", '${file}'")
endforeach()
string(SHA256 contents "${hashes}")
string(SUBSTRING ${contents} 0 12 contents)
set(TARNWICK_SITE_VERSION "${VERSION}-${contents}")
set(TARNWICK_SITE_FILES "${listed}")
configure_file(${WORKER} ${SITE}/sw.js @ONLY)
