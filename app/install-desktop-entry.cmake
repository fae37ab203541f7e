# Writes the menu entry at install time, when the prefix is known (cmake --install --prefix may
# differ from the one configured): it runs the installed game in the installed sample content's
# folder, on that content or, opened from a file manager, on the model file it is given.
# Set by the install rules: VORN_DESKTOP_TEMPLATE, VORN_DESKTOP_WORK, VORN_BINDIR, VORN_DATADIR.
foreach(dir VORN_BINDIR VORN_DATADIR)
    if(IS_ABSOLUTE "${${dir}}")
        set(${dir}_FULL "${${dir}}")
    else()
        set(${dir}_FULL "${CMAKE_INSTALL_PREFIX}/${${dir}}")
    endif()
endforeach()
set(game "${VORN_BINDIR_FULL}/vorn")
set(data "${VORN_DATADIR_FULL}/vorn/data")
# The game is quoted for spaces; the characters that would need escapes, inside the quotes or in
# the data's plain value, are refused rather than written wrongly.
foreach(path IN ITEMS "${game}" "${data}")
    if(path MATCHES "[\"`$%\\\\]")
        message(FATAL_ERROR "The menu entry cannot name ${path}: choose a prefix without \", `, $, % or \\.")
    endif()
endforeach()
set(VORN_EXEC "\"${game}\" %f")
set(VORN_PATH "${data}")
configure_file("${VORN_DESKTOP_TEMPLATE}" "${VORN_DESKTOP_WORK}/vorn.desktop" @ONLY)
file(INSTALL DESTINATION "${VORN_DATADIR_FULL}/applications" TYPE FILE
     FILES "${VORN_DESKTOP_WORK}/vorn.desktop")
