hot_fuzzer(fuzz_regex_pattern SOURCES regex_pattern_fuzz.cpp LINK regex)
