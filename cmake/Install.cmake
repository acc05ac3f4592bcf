# Installation layout. LoadLibrary looks for the picture module beside the program and then in
# ../lib/tavrin, and the settings store's default "ScreenSaverPath" is ../share/tavrin from the
# program's folder (so the install may be moved), which holds the help page, the sample pictures
# and the sample clips.
foreach(program tavrin tavrinra tavrin-reg)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION bin)
  endif()
endforeach()
if(TARGET nviewlib)
  install(TARGETS nviewlib LIBRARY DESTINATION lib/tavrin)
endif()

install(FILES ${TAVRIN_DATA_SOURCE_DIR}/help/Tavrin.html DESTINATION share/tavrin)
# The sample pictures beside the help page: the file chooser opens in this folder by default.
install(DIRECTORY ${TAVRIN_DATA_SOURCE_DIR}/pictures/ DESTINATION share/tavrin)
# The sample sound clips beside them, so a demo sound playlist plays from an installed copy and
# the sound playlist's file chooser finds them in the same folder.
install(DIRECTORY ${TAVRIN_DATA_SOURCE_DIR}/clips/ DESTINATION share/tavrin FILES_MATCHING
        PATTERN "*.ra")
# XScreenSaver's settings window reads one description file per hack from this folder.
file(GLOB TAVRIN_XSCREENSAVER_CONFIG ${TAVRIN_DATA_SOURCE_DIR}/xscreensaver/*.xml)
if(TAVRIN_XSCREENSAVER_CONFIG)
  install(FILES ${TAVRIN_XSCREENSAVER_CONFIG} DESTINATION share/xscreensaver/config)
endif()
# "Tavrin settings" in the desktop's menus: the configuration dialog.
install(FILES ${TAVRIN_DATA_SOURCE_DIR}/applications/tavrin-settings.desktop
        DESTINATION share/applications)
# The manual pages, with the version and this installation's folders filled in. XScreenSaver's
# "Documentation..." opens man:tavrin; man finds <prefix>/share/man beside <prefix>/bin on PATH.
foreach(program tavrin tavrinra tavrin-reg)
  if(TARGET ${program})
    configure_file(${TAVRIN_DATA_SOURCE_DIR}/man/${program}.1.in
                   ${CMAKE_BINARY_DIR}/man/${program}.1 @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/man/${program}.1 DESTINATION share/man/man1)
  endif()
endforeach()
