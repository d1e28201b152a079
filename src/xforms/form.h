// Declared parameter forms: what an Xform header includes to declare its
// form (form_decl.h), together with what reads forms: the form seen without
// its record type (form_ref.h), what each kind of field means as storage and
// text (form_kinds.h), and the text views of the values for the command line,
// recipes and describe (form_text.h).
#pragma once

#include "xforms/form_decl.h"   // IWYU pragma: export
#include "xforms/form_kinds.h"  // IWYU pragma: export
#include "xforms/form_ref.h"    // IWYU pragma: export
#include "xforms/form_text.h"   // IWYU pragma: export
