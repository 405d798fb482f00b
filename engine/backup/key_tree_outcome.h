#pragma once

namespace halvorn {

// How a walk over an invalid key's tree ended, for saving it and for deleting it.
enum class KeyTreeOutcome {
    Whole,      // every key of the tree was saved, or deleted
    Partial,    // a key or a value could not be read, written as a line, or deleted
    HoldsLink,  // a key of the tree is a registry link, which is never followed, saved or deleted
};

}  // namespace halvorn
