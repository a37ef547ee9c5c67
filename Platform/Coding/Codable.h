#pragma once

// Everything a value needs to encode and decode itself, and everything an
// encoder or decoder implements.
#include "Platform/Coding/CodingFields.h"
#include "Platform/Coding/CodingKey.h"
#include "Platform/Coding/CodingTraits.h"
#include "Platform/Coding/Decoder.h"
#include "Platform/Coding/DecodingError.h"
#include "Platform/Coding/Encoder.h"
#include "Platform/Coding/EncodingError.h"
#include "Platform/Coding/StandardCodable.h"
