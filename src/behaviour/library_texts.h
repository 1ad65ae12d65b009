// The library's files as the build found them: generated from
// strategies/*.txt into library_texts.cpp in the build directory.
#pragma once

#include <cstddef>

struct Library_Text {
  const char* name;  // the file's name without ".txt"
  const char* text;  // the file's bytes
};

extern const Library_Text LIBRARY_TEXTS[];
extern const size_t LIBRARY_TEXT_COUNT;
