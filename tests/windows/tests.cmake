# Whole-program tests of the Windows program under wine, against the Linux program of the
# same tree (UGF_LINUX_BUILD, built by tools/windows.sh test).
set(UGF_LINUX_UGFVIEW ${UGF_LINUX_BUILD}/ugfview)
add_test(NAME win_compare
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/compare_test.sh $<TARGET_FILE:ugfview> ${UGF_LINUX_UGFVIEW})
set_tests_properties(win_compare PROPERTIES LABELS windows TIMEOUT 600)
