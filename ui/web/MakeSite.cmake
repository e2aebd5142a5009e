# Gathers the site into SITE: the page's files (FILES), the core (CORE.js and CORE.wasm), the
# table worker's module (TABLE.js and TABLE.wasm), the pictures and icons from ASSETS, the FONTS
# as WOFF2 (cut by FONT_SUBSET); then writes the main window's form and the style sheet into
# index.html (PRERENDER, run by NODE), and last the service worker (WORKER), which lists every
# other file and names its cache by VERSION and a hash of their contents; last the Brotli
# (BROTLI) and gzip (GZIP) forms of each.
# Run by the build: cmake -DSITE=... -P MakeSite.cmake

file(REMOVE_RECURSE ${SITE})
file(MAKE_DIRECTORY ${SITE}/images ${SITE}/icons ${SITE}/fonts)

file(COPY ${FILES} ${CORE}.js ${CORE}.wasm ${TABLE}.js ${TABLE}.wasm DESTINATION ${SITE})
file(COPY ${ASSETS}/Image1.gif ${ASSETS}/Image3_main.gif ${ASSETS}/Image3_about.gif
     DESTINATION ${SITE}/images)
file(COPY_FILE ${ASSETS}/icons/hicolor/32x32/apps/tarnwick.png ${SITE}/icons/icon-32.png)
file(COPY ${ASSETS}/web/icon-192.png ${ASSETS}/web/icon-512.png DESTINATION ${SITE}/icons)

# Each face cut to the characters the page writes (Latin-1 and the punctuation around it; any
# other a table brings is drawn from the system's faces), without hinting, which the platforms
# that lack both Arial and Liberation Sans do not use.
foreach(font ${FONTS})
    get_filename_component(name ${font} NAME_WE)
    execute_process(COMMAND ${FONT_SUBSET} ${font} --flavor=woff2 --no-hinting
                            --unicodes=U+0020-007E,U+00A0-00FF,U+2010-2027,U+2030-203A,U+2212
                            --output-file=${SITE}/fonts/${name}.woff2
                    OUTPUT_QUIET ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
endforeach()

# The main window's form written into index.html by the page's own code over the core, under node.
execute_process(COMMAND ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs
                        ${NODE} ${PRERENDER} ${SITE} COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE ${SITE}/style.css) # it stands in index.html now

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

# Beside each file that compresses, its Brotli and gzip forms, for a host that sends them as they
# are (tools/web/serve.py does); the service worker keeps the files themselves.
file(GLOB_RECURSE compressible LIST_DIRECTORIES false
     ${SITE}/*.wasm ${SITE}/*.js ${SITE}/*.html ${SITE}/*.css ${SITE}/*.webmanifest)
foreach(file ${compressible})
    execute_process(COMMAND ${BROTLI} --best --keep --force ${file} COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND ${GZIP} -9 --keep --force --no-name ${file} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
