# Puts beside the program what it loads, then makes the emulated folder: the
# same files with the receiver emulator as hidapi.dll, found before any other.
foreach(dll ${DLLS})
    file(COPY ${SDK}/bin/${dll}.dll DESTINATION ${BIN})
endforeach()
foreach(plugin ${PLUGINS})
    get_filename_component(folder ${plugin} DIRECTORY)
    file(COPY ${SDK}/plugins/${plugin}.dll DESTINATION ${BIN}/${folder})
endforeach()
if(QT_CATALOGUES)
    file(COPY ${QT_CATALOGUES} DESTINATION ${BIN}/translations)
endif()
# Qt's own paths below the program's folder, wherever it is installed.
file(WRITE ${BIN}/qt.conf "[Paths]\nPrefix=.\nPlugins=.\nTranslations=translations\n")

file(REMOVE_RECURSE ${EMULATED})
file(COPY ${BIN}/ DESTINATION ${EMULATED})
file(COPY ${STANDIN} DESTINATION ${EMULATED})
get_filename_component(standin_name ${STANDIN} NAME)
if(NOT standin_name STREQUAL "hidapi.dll")
    file(RENAME ${EMULATED}/${standin_name} ${EMULATED}/hidapi.dll)
endif()
