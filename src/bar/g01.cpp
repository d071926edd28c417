// Unit G01: the bar's program-wide pointers.
#include "g01.h"

TFDovrak* FDovrak = nullptr;
TKSetup* KSetup = nullptr;
TBarState* BarState = nullptr;
TDM* DM = nullptr;
TQini* ButtonStore = nullptr;
TQButtonArray* ButtonArray = nullptr;
TFormEdit* FormEdit = nullptr;
TFormOption* FormOption = nullptr;
