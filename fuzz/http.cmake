# Fuzzers of the HTTP clients' parsers of outside bytes.
hot_fuzzer(fuzz_response_headers SOURCES response_headers_fuzz.cpp LINK http)
hot_fuzzer(fuzz_url_split SOURCES url_split_fuzz.cpp LINK http)
hot_fuzzer(fuzz_page_decoding SOURCES page_decoding_fuzz.cpp LINK http)
