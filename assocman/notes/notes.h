// The class questions and notes window: lists the stored notes of table
// `ketang`, shows one, takes new ones and deletes the selected one.
#pragma once

#include "assocman/forms/notes_names.h"

namespace notes {

// Registers the window's handlers under the names its description uses.
void register_notes_handlers();

}  // namespace notes
