#include "AppPaths.h"
