# Whole-program tests of the Windows program under wine, against the Linux program of the
# same tree (UGF_LINUX_BUILD, built by tools/windows.sh test).
set(UGF_LINUX_UGFVIEW ${UGF_LINUX_BUILD}/ugfview)
set(UGFVIEW $<TARGET_FILE:ugfview>)
ugf_script_test(win_compare windows/compare_test.sh LABELS windows TIMEOUT 600
                ARGS ${UGFVIEW} ${UGF_LINUX_UGFVIEW})

# The Win32 window under wine and Xvfb; tools/windows.sh runs it with a wine server of its own.
ugf_script_test(win_window windows/window_test.sh LABELS windows x11 LOCK x11 TIMEOUT 300
                ARGS ${UGFVIEW} ${UGF_LINUX_UGFVIEW})

# GDI printing into a private CUPS scheduler, the not-found path, and the EMF folder played
# back (emf_play) against the Linux program's PDF folder.
add_executable(emf_play ${CMAKE_CURRENT_SOURCE_DIR}/windows/emf_play.cpp)
target_link_libraries(emf_play PRIVATE gdi32)
ugf_script_test(win_print windows/print_test.sh LABELS windows cups LOCK cups TIMEOUT 600
                ARGS ${UGFVIEW} ${UGF_LINUX_UGFVIEW} $<TARGET_FILE:emf_play>)
