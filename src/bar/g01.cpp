// Unit G01: the bar's program-wide pointers (KSetup is defined with its
// class in the shared unit DSetup).
#include "g01.h"

TFDovrak* FDovrak = nullptr;
TBarState* BarState = nullptr;
TDM* DM = nullptr;
TQini* ButtonStore = nullptr;
TQButtonArray* ButtonArray = nullptr;
TFormEdit* FormEdit = nullptr;
TFormOption* FormOption = nullptr;
