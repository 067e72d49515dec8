#include "tests/fakes/FakePlatform.h"
