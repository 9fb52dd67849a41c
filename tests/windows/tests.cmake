# Whole-program tests of the Windows program under wine.
