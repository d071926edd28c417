#include "g01.h"

TMenuSettings* MenuSettings = nullptr;
TQini* MenuStore = nullptr;
TFPelnor* FPelnor = nullptr;
TFormEdit* FormEdit = nullptr;
TFormOption* FormOption = nullptr;
