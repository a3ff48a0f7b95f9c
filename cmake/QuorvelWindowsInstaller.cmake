# The Windows installer (NSIS, packaging/windows/quorvel.nsi) and the zip for people who do not
# install software, built in the Windows tree from the two programs' targets.
#
# quorvel_windows_installer(NAME target SETUP file.exe ZIP file.zip
#                           WINDOW target RENDER target)
# Adds the target NAME, built by default, that makes both. WINDOW and RENDER are the targets
# whose executables are shipped as quorvel.exe and quorvel-render.exe.

find_program(QUORVEL_MAKENSIS makensis REQUIRED)
find_program(QUORVEL_ICOTOOL icotool REQUIRED)

# The .ico that the installer, the uninstaller, the Start-menu entry and the list of installed
# programs show, made from the committed PNGs (Debian: icoutils).
set(QUORVEL_WINDOWS_ICON ${CMAKE_BINARY_DIR}/packaging/quorvel.ico)
add_custom_command(OUTPUT ${QUORVEL_WINDOWS_ICON}
    COMMAND ${QUORVEL_ICOTOOL} -c -o ${QUORVEL_WINDOWS_ICON}
        ${PROJECT_SOURCE_DIR}/data/icons/quorvel-16.png
        ${PROJECT_SOURCE_DIR}/data/icons/quorvel-32.png
    DEPENDS ${PROJECT_SOURCE_DIR}/data/icons/quorvel-16.png
        ${PROJECT_SOURCE_DIR}/data/icons/quorvel-32.png
    COMMENT "Making quorvel.ico" VERBATIM)
add_custom_target(quorvel_windows_icon DEPENDS ${QUORVEL_WINDOWS_ICON})

# The folder of what both ship, as the zip holds it: the programs stripped of their debug
# information (megabytes of it in this build type), and TONESETS.INI.
function(quorvel_windows_stage_folder name out)
    set(${out} ${CMAKE_BINARY_DIR}/packaging/${name}/Quorvel-${PROJECT_VERSION} PARENT_SCOPE)
endfunction()

function(quorvel_windows_installer)
    cmake_parse_arguments(ARG "" "NAME;SETUP;ZIP;WINDOW;RENDER" "" ${ARGN})
    set(_nsi ${PROJECT_SOURCE_DIR}/packaging/windows/quorvel.nsi)
    set(_tonesets ${PROJECT_SOURCE_DIR}/data/TONESETS.INI)
    quorvel_windows_stage_folder(${ARG_NAME} _folder)
    set(_staged ${_folder}/quorvel.exe ${_folder}/quorvel-render.exe ${_folder}/TONESETS.INI)
    add_custom_command(OUTPUT ${_staged}
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${_folder}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${_folder}
        COMMAND ${CMAKE_STRIP} -o ${_folder}/quorvel.exe $<TARGET_FILE:${ARG_WINDOW}>
        COMMAND ${CMAKE_STRIP} -o ${_folder}/quorvel-render.exe $<TARGET_FILE:${ARG_RENDER}>
        COMMAND ${CMAKE_COMMAND} -E copy ${_tonesets} ${_folder}/TONESETS.INI
        DEPENDS ${_tonesets} ${ARG_WINDOW} ${ARG_RENDER}
        COMMENT "Gathering what the Windows installer and zip ship" VERBATIM)

    # makensis writes beside its output while it builds; -WX: a warning is a fault in the script.
    add_custom_command(OUTPUT ${ARG_SETUP}
        COMMAND ${QUORVEL_MAKENSIS} -V2 -WX -INPUTCHARSET UTF8
            -DVERSION=${PROJECT_VERSION}
            -DOUTFILE=${ARG_SETUP}
            -DWINDOW_EXE=${_folder}/quorvel.exe
            -DRENDER_EXE=${_folder}/quorvel-render.exe
            -DTONESETS=${_folder}/TONESETS.INI
            -DICON=${QUORVEL_WINDOWS_ICON}
            ${_nsi}
        DEPENDS ${_nsi} ${_staged} ${QUORVEL_WINDOWS_ICON} quorvel_windows_icon
        COMMENT "Making ${ARG_SETUP} with NSIS" VERBATIM)

    # The zip holds one folder, so that unpacking it puts nothing loose beside other files; the
    # window started there by a double click finds TONESETS.INI beside it.
    get_filename_component(_parent ${_folder} DIRECTORY)
    get_filename_component(_name ${_folder} NAME)
    add_custom_command(OUTPUT ${ARG_ZIP}
        COMMAND ${CMAKE_COMMAND} -E rm -f ${ARG_ZIP}
        COMMAND ${CMAKE_COMMAND} -E chdir ${_parent}
            ${CMAKE_COMMAND} -E tar cf ${ARG_ZIP} --format=zip ${_name}
        DEPENDS ${_staged}
        COMMENT "Making ${ARG_ZIP}" VERBATIM)
    add_custom_target(${ARG_NAME} ALL DEPENDS ${ARG_SETUP} ${ARG_ZIP})
endfunction()
