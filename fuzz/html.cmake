hot_fuzzer(fuzz_html_extract SOURCES html_extract_fuzz.cpp LINK html)
