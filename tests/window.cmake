# Tests of the window code.
