# The Windows build (MinGW-w64, see mingw-w64.cmake): every program in one
# folder (bin/) together with what it loads at run time, so that the programs
# and the tests start there as they would after installation.

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(TE_WIN_BIN ${CMAKE_BINARY_DIR}/bin)
# Plain static linking of nothing: the runtime DLLs go beside the programs.

# The program symbol and version for Explorer; IDI_ICON1 is also the icon Qt
# gives the windows.
function(te_windows_program target)
    set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE TRUE)
    set(TE_ICON ${CMAKE_SOURCE_DIR}/packaging/windows/icons/tarifeditor.ico)
    configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/tarifeditor.rc.in
                   ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
endfunction()

# Without Qt Svg the glyphs come as PNG files drawn from the SVG ones
# (packaging/windows/render-icons.sh) under the same resource names, so that
# nothing else changes: QIcon tells the format from the contents.
function(te_windows_raster_glyphs sources_var)
    set(sources ${${sources_var}})
    list(REMOVE_ITEM sources ${CMAKE_SOURCE_DIR}/resources/icons.qrc)
    set(qrc ${CMAKE_BINARY_DIR}/glyphs/icons.qrc)
    set(text "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/icons\">\n")
    foreach(name add edit delete sort takeover)
        string(APPEND text "    <file alias=\"${name}.svg\">${CMAKE_SOURCE_DIR}/packaging/windows/icons/${name}.png</file>\n")
    endforeach()
    string(APPEND text "  </qresource>\n</RCC>\n")
    file(CONFIGURE OUTPUT ${qrc} CONTENT "${text}" @ONLY)
    list(APPEND sources ${qrc})
    set(${sources_var} ${sources} PARENT_SCOPE)
    message(STATUS "Qt Svg not found: the glyphs are built in as PNG images")
endfunction()

# What the programs load at run time, copied beside them: the Qt libraries
# and plugins, the MinGW runtime, a qt.conf that makes the folder Qt's prefix,
# and the fonts the offscreen platform takes from lib/fonts.
get_filename_component(TE_QT_PREFIX "${Qt6Core_DIR}/../../.." ABSOLUTE)
set(TE_QT_DLLS Qt6Core Qt6Gui Qt6Widgets Qt6OpenGL Qt6Svg Qt6Test)
set(TE_QT_PLUGINS
    platforms/qwindows platforms/qoffscreen styles/qwindowsvistastyle
    imageformats/qico imageformats/qsvg iconengines/qsvgicon)

execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                OUTPUT_VARIABLE TE_LIBSTDCXX OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(TE_GCC_LIBDIR "${TE_LIBSTDCXX}" DIRECTORY)
find_file(TE_WINPTHREAD libwinpthread-1.dll
          PATHS /usr/x86_64-w64-mingw32/lib ${TE_GCC_LIBDIR} NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
set(TE_MINGW_DLLS ${TE_GCC_LIBDIR}/libstdc++-6.dll ${TE_GCC_LIBDIR}/libgcc_s_seh-1.dll ${TE_WINPTHREAD})

set(TE_RUNTIME_FILES)
foreach(dll IN LISTS TE_QT_DLLS)
    if(EXISTS ${TE_QT_PREFIX}/bin/${dll}.dll)
        list(APPEND TE_RUNTIME_FILES "${TE_QT_PREFIX}/bin/${dll}.dll|.")
    endif()
endforeach()
foreach(plugin IN LISTS TE_QT_PLUGINS)
    if(EXISTS ${TE_QT_PREFIX}/plugins/${plugin}.dll)
        get_filename_component(kind ${plugin} DIRECTORY)
        list(APPEND TE_RUNTIME_FILES "${TE_QT_PREFIX}/plugins/${plugin}.dll|${kind}")
    endif()
endforeach()
foreach(dll IN LISTS TE_MINGW_DLLS)
    list(APPEND TE_RUNTIME_FILES "${dll}|.")
endforeach()
file(GLOB TE_FONTS /usr/share/fonts/truetype/dejavu/DejaVuSans*.ttf)
foreach(font IN LISTS TE_FONTS)
    list(APPEND TE_RUNTIME_FILES "${font}|lib/fonts")
endforeach()
if(NOT TE_FONTS)
    message(WARNING "No DejaVu fonts (Debian fonts-dejavu-core): offscreen tests draw no text")
endif()

file(WRITE ${CMAKE_BINARY_DIR}/qt.conf.in "[Paths]\nPrefix = .\n")
list(APPEND TE_RUNTIME_FILES "${CMAKE_BINARY_DIR}/qt.conf.in|.|qt.conf")

set(TE_RUNTIME_OUTPUTS)
set(TE_RUNTIME_COMMANDS)
foreach(entry IN LISTS TE_RUNTIME_FILES)
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 0 from)
    list(GET parts 1 where)
    list(LENGTH parts n)
    if(n GREATER 2)
        list(GET parts 2 name)
    else()
        get_filename_component(name ${from} NAME)
    endif()
    set(to ${TE_WIN_BIN}/${where}/${name})
    add_custom_command(OUTPUT ${to}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${TE_WIN_BIN}/${where}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${from} ${to}
        DEPENDS ${from} VERBATIM)
    list(APPEND TE_RUNTIME_OUTPUTS ${to})
endforeach()
add_custom_target(windows_runtime ALL DEPENDS ${TE_RUNTIME_OUTPUTS})
# The files the installer takes along (relative to bin/).
set(TE_RUNTIME_FILES ${TE_RUNTIME_FILES} CACHE INTERNAL "")

# tarifeditor-VERSION-setup.exe (NSIS): both programs with the Qt libraries
# and plugins of the windows platform, the MinGW runtime and the symbol.
find_program(TE_MAKENSIS makensis)
if(TE_MAKENSIS AND TE_BUILD_APPS)
    set(installed tarifeditor.exe tarifcheck.exe)
    foreach(entry IN LISTS TE_RUNTIME_FILES)
        string(REPLACE "|" ";" parts "${entry}")
        list(GET parts 0 from)
        list(GET parts 1 where)
        get_filename_component(name ${from} NAME)
        list(LENGTH parts n)
        if(n GREATER 2)
            list(GET parts 2 name)
        endif()
        # Test library, offscreen platform and its fonts serve the tests only.
        if(name MATCHES "^(Qt6Test\\.dll|qoffscreen\\.dll)$" OR where STREQUAL "lib/fonts")
            continue()
        endif()
        if(where STREQUAL ".")
            list(APPEND installed ${name})
        else()
            list(APPEND installed ${where}/${name})
        endif()
    endforeach()
    string(REPLACE ";" "|" installed "${installed}")
    set(TE_SETUP ${CMAKE_BINARY_DIR}/tarifeditor-${PROJECT_VERSION}-setup.exe)
    add_custom_target(installer
        COMMAND ${CMAKE_COMMAND} -DBIN=${TE_WIN_BIN} -DSTAGE=${CMAKE_BINARY_DIR}/installer/stage
                -DFILES=${installed} -DNSI=${CMAKE_SOURCE_DIR}/packaging/windows/tarifeditor.nsi
                -DICON=${CMAKE_SOURCE_DIR}/packaging/windows/icons/tarifeditor.ico
                -DOUT=${TE_SETUP} -DVERSION=${PROJECT_VERSION} -DMAKENSIS=${TE_MAKENSIS}
                -P ${CMAKE_SOURCE_DIR}/packaging/windows/Installer.cmake
        DEPENDS tarifeditor tarifcheck windows_runtime
        BYPRODUCTS ${TE_SETUP}
        VERBATIM)
endif()
