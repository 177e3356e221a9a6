hot_fuzzer(fuzz_article_page SOURCES article_page_fuzz.cpp LINK collector)
