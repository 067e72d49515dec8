#include "core/TextRules.h"
