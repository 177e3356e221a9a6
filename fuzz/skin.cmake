# The skin subsystem's parsers of outside bytes: DLL images and skin files.
hot_fuzzer(fuzz_skin_memory_module SOURCES skin_memory_module_fuzz.cpp LINK skin)
hot_fuzzer(fuzz_skin_she SOURCES skin_she_fuzz.cpp LINK skin)
