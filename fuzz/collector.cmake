hot_fuzzer(fuzz_article_page SOURCES article_page_fuzz.cpp LINK collector)
hot_fuzzer(fuzz_result_page SOURCES result_page_fuzz.cpp LINK collector)
hot_fuzzer(fuzz_picture_tags SOURCES picture_tags_fuzz.cpp LINK collector)
hot_fuzzer(fuzz_picture_cipher SOURCES picture_cipher_fuzz.cpp LINK collector)
