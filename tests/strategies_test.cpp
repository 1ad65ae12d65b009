// Placeholder until the strategy library lands.
#include <gtest/gtest.h>
