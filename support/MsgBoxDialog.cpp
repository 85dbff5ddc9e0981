#include "MsgBoxDialog.h"
