#include "Unit3.h"

TForm3* Form3 = nullptr;
