#pragma once

#include <memory>

#include "Platform/Store/ModelContext.h"
#include "Wendalore/Model/RequestTemplate.h"

namespace wendalore {

// Keeps a template's URL query and its parameter rows in step. The URL
// decides what a rebuild of the rows gives; the rows decide what a rewrite
// of the URL gives. Only enabled rows with a key are written into the URL,
// so only they take part: a rebuild replaces them, in URL order, and leaves
// disabled rows and rows without a key where they are, so no row a person
// typed is ever lost to a URL edit.
namespace queryparamsync {

// Rebuilds the enabled rows with a key from the URL's query unless they
// already match it item for item. A URL that does not parse, or has no
// query at all, leaves the rows alone. Rows dropped are deleted from
// `context`. Returns whether the rows changed.
bool rowsFromURL(RequestTemplate& request, platform::ModelContext& context);

// Rewrites the URL's query from the enabled rows with a key (an empty value
// written as "key="), or removes the query when there are none. An empty URL
// becomes the query alone ("?k=v"). A URL that does not parse is left as it
// is.
void urlFromRows(RequestTemplate& request);

}  // namespace queryparamsync
}  // namespace wendalore
