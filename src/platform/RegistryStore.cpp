#include "RegistryStore.h"
