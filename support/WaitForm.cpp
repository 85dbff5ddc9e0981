#include "WaitForm.h"
