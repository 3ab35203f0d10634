#include "DayListSort.h"
