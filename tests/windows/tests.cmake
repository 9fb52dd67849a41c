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
