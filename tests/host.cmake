# Tests of the host code.
