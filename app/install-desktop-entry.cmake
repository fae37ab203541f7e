# Writes the menu entry at install time, when the prefix is known (cmake --install --prefix may
# differ from the one configured): it runs the installed game in the installed sample content's
# folder, on that content or, opened from a file manager, on the model file it is given; then
# refreshes the prefix's MIME and application databases (vorn-models.xml is installed before).
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

# The prefix's databases learn what the entry opens: the types (file managers match names and
# contents against the MIME database) and which applications open them (they look that up in
# the applications' cache, not in the entries). Without a tool there is nothing to refresh; a
# staged install (DESTDIR) leaves it to the package's triggers on the target.
if("$ENV{DESTDIR}" STREQUAL "")
    find_program(update_mime update-mime-database)
    find_program(update_desktop update-desktop-database)
    if(update_mime)
        execute_process(COMMAND "${update_mime}" "${VORN_DATADIR_FULL}/mime")
    endif()
    if(update_desktop)
        execute_process(COMMAND "${update_desktop}" "${VORN_DATADIR_FULL}/applications")
    endif()
endif()
