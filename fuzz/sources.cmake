hot_fuzzer(fuzz_sources SOURCES sources_fuzz.cpp LINK collector hotwords sources)
