// One output column of a fetched row, from the client's buffer to our
// TFieldValue.
//
// The statement (data/FbHandles.h) gives every column a buffer of
// FColumnBufferSize bytes and a NULL indicator; after a fetch the client
// has left the column's value there in its native form. FDecodeColumn
// reads it without any client call, except for a BLOB, whose id is handed
// to the caller's reader (the blob is read through the attachment).
//
// Internal to data/ (brings in the client's types).
#pragma once

#include <ibase.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "data/SQLConnection.h"

namespace data {

// Reads the whole blob with the given id, as bytes.
using TBlobReader = std::function<std::string(const ISC_QUAD&)>;

// Bytes the client writes for a column of pVar's type and length.
[[nodiscard]] std::size_t FColumnBufferSize(const XSQLVAR& pVar) noexcept;

// The column's value: NULL when its indicator says so; text (CHAR with its
// blanks, VARCHAR, BLOB), a scaled integer (SMALLINT, INTEGER, BIGINT,
// NUMERIC/DECIMAL; BOOLEAN as 0 or 1), a double (FLOAT, DOUBLE), a
// broken-down timestamp, date or time (a bare time on day zero,
// 30/12/1899). nullopt for a type this layer does not know.
// REQUIRES: pVar.sqldata and pVar.sqlind point at the fetched values.
[[nodiscard]] std::optional<TFieldValue> FDecodeColumn(const XSQLVAR& pVar, const TBlobReader& pReadBlob);

}  // namespace data
