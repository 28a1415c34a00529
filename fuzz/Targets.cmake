# SPDX-License-Identifier: MIT
# The fuzz targets, one source file fuzz/<name>.cpp each. The fuzz build
# links each with libFuzzer; the test build compiles the same body into a
# replay program, so kept inputs stay checked by every ordinary test run.
set(FILEKIT_FUZZ_TARGETS
    ini_reader
    ini_text
    ini_edit
    parse_values
    xml_wrapper
    token_writer)
