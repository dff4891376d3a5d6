# Installs the build into a scratch prefix and checks what a desktop needs to
# offer the viewer: the desktop entry and the AppStream metadata (both passing
# their validators), the icon in the hicolor theme at every size and, when the
# program is part of the build, the executable the entry starts.
#
# cmake -DBUILD_DIR=... -DPREFIX=... -DAPP_ID=... -DICON_SIZES=16,22,...
#       -DCHECK_EXECUTABLE=ON|OFF -DDESKTOP_FILE_VALIDATE=... -DAPPSTREAMCLI=...
#       -P CheckInstall.cmake

cmake_minimum_required(VERSION 3.25)

set(failures 0)
macro(fail text)
  math(EXPR failures "${failures} + 1")
  message(SEND_ERROR "${text}")
endmacro()

foreach(var BUILD_DIR PREFIX APP_ID ICON_SIZES DESKTOP_FILE_VALIDATE APPSTREAMCLI)
  if(NOT ${var})
    message(FATAL_ERROR "CheckInstall.cmake: ${var} is not set (or its tool was not found)")
  endif()
endforeach()

string(REPLACE "," ";" ICON_SIZES "${ICON_SIZES}")

file(REMOVE_RECURSE "${PREFIX}")
execute_process(
  COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${out}")
endif()

set(apps "${PREFIX}/share/applications")
set(desktop "${apps}/${APP_ID}.desktop")
set(metainfo "${PREFIX}/share/metainfo/${APP_ID}.metainfo.xml")
set(icons "${PREFIX}/share/icons/hicolor")

# ---- The desktop entry
if(NOT EXISTS "${desktop}")
  message(FATAL_ERROR "missing ${desktop}")
endif()
execute_process(COMMAND "${DESKTOP_FILE_VALIDATE}" "${desktop}"
  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
# It exits 0 on warnings; those count too. Hints are advice only.
if(NOT result EQUAL 0 OR out MATCHES "(error|warning):")
  fail("desktop-file-validate:\n${out}")
endif()

# The value of a key of the entry (a key appears once), or "" when it is absent.
file(READ "${desktop}" entry)
function(entry_value key out)
  set(value "")
  if(entry MATCHES "(^|\n)${key}=([^\n]*)")
    set(value "${CMAKE_MATCH_2}")
  endif()
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

# File managers offer "Open with" for exactly these types.
entry_value(MimeType types)
foreach(type text/html text/plain image/bmp image/jpeg image/gif image/png image/webp
             image/svg+xml image/tiff)
  if(NOT type IN_LIST types)
    fail("the desktop entry does not list ${type} (MimeType=${types})")
  endif()
endforeach()
# One file or folder argument.
entry_value(Exec exec)
if(NOT exec STREQUAL "tarvel-viewer %f")
  fail("the desktop entry starts '${exec}', not 'tarvel-viewer %f'")
endif()
entry_value(Icon icon)
if(NOT icon STREQUAL APP_ID)
  fail("the desktop entry's icon is '${icon}', not ${APP_ID}")
endif()

# ---- The metadata, checked together with the tree it refers to
if(NOT EXISTS "${metainfo}")
  fail("missing ${metainfo}")
else()
  execute_process(COMMAND "${APPSTREAMCLI}" validate-tree --no-net --strict "${PREFIX}"
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    fail("appstreamcli validate-tree:\n${out}")
  endif()
endif()

# ---- The icon: scalable plus one PNG per size, each really of that size
if(NOT EXISTS "${icons}/scalable/apps/${APP_ID}.svg")
  fail("missing the scalable icon")
else()
  file(READ "${icons}/scalable/apps/${APP_ID}.svg" svg)
  if(NOT svg MATCHES "<svg[^>]*viewBox=")
    fail("the scalable icon is not an SVG drawing with a viewBox")
  endif()
endif()
foreach(size IN LISTS ICON_SIZES)
  set(png "${icons}/${size}x${size}/apps/${APP_ID}.png")
  if(NOT EXISTS "${png}")
    fail("missing ${png}")
    continue()
  endif()
  # Signature (8 bytes), IHDR length and tag (8), then width and height (4 + 4, big-endian).
  file(READ "${png}" head LIMIT 24 HEX)
  string(SUBSTRING "${head}" 0 16 signature)
  string(SUBSTRING "${head}" 24 8 tag)
  string(SUBSTRING "${head}" 32 8 width_hex)
  string(SUBSTRING "${head}" 40 8 height_hex)
  math(EXPR width "0x${width_hex}")
  math(EXPR height "0x${height_hex}")
  if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT tag STREQUAL "49484452")
    fail("${png} is not a PNG file")
  elseif(NOT width EQUAL size OR NOT height EQUAL size)
    fail("${png} is ${width}x${height}, not ${size}x${size}")
  endif()
endforeach()

# ---- The program the entry starts
if(CHECK_EXECUTABLE)
  set(exe "${PREFIX}/bin/tarvel-viewer")
  execute_process(COMMAND test -f "${exe}" -a -x "${exe}" RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    fail("missing or not executable: ${exe}")
  endif()
endif()

if(failures GREATER 0)
  message(FATAL_ERROR "the installed tree has ${failures} problem(s); see above")
endif()
message(STATUS "installed tree in ${PREFIX} is complete and valid")
