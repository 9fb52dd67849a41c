# Whole-program tests of the Windows program under wine, against the Linux program of the
# same tree (UGF_LINUX_BUILD, built by tools/windows.sh test).
set(UGF_LINUX_UGFVIEW ${UGF_LINUX_BUILD}/ugfview)
add_test(NAME win_compare
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/compare_test.sh $<TARGET_FILE:ugfview> ${UGF_LINUX_UGFVIEW})
set_tests_properties(win_compare PROPERTIES LABELS windows TIMEOUT 600)

# The Win32 window under wine and Xvfb; tools/windows.sh runs it with a wine server of its own.
add_test(NAME win_window
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/window_test.sh $<TARGET_FILE:ugfview> ${UGF_LINUX_UGFVIEW})
set_tests_properties(win_window PROPERTIES LABELS "windows;x11" RESOURCE_LOCK x11 TIMEOUT 300
                                           SKIP_RETURN_CODE 77)

# GDI printing into a private CUPS scheduler, the not-found path, and the EMF folder played
# back (emf_play) against the Linux program's PDF folder.
add_executable(emf_play ${CMAKE_CURRENT_SOURCE_DIR}/windows/emf_play.cpp)
target_link_libraries(emf_play PRIVATE gdi32)
add_test(NAME win_print
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/print_test.sh $<TARGET_FILE:ugfview> ${UGF_LINUX_UGFVIEW}
                 $<TARGET_FILE:emf_play>)
set_tests_properties(win_print PROPERTIES LABELS "windows;cups" RESOURCE_LOCK cups TIMEOUT 600
                                          SKIP_RETURN_CODE 77)
