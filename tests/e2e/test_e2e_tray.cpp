// The notification area seen from outside (being written).
#include <doctest/doctest.h>
