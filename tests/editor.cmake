# Tests of the editor code.
