#include "platform/cd_drives.h"
