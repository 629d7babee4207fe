#include <doctest/doctest.h>
int x;
TEST_CASE("placeholder") { CHECK(1 == 1); }
