#include "core/db/drivers/jet/jet_types.h"

namespace tessel::db::jet {
namespace {

struct TypeOfColumn {
    int type;
    long size;  // the size DAO reports for a fixed-size type
};

TypeOfColumn Map(int stored) {
    switch (stored) {
        case MDB_BOOL:
            return {ftype::kBoolean, 1};
        case MDB_BYTE:
            return {ftype::kByte, 1};
        case MDB_INT:
            return {ftype::kInteger, 2};
        case MDB_LONGINT:
            return {ftype::kLong, 4};
        case MDB_MONEY:
            return {ftype::kCurrency, 8};
        case MDB_FLOAT:
            return {ftype::kSingle, 4};
        case MDB_DOUBLE:
            return {ftype::kDouble, 8};
        case MDB_DATETIME:
        case kStoredExtendedDate:
            return {ftype::kDate, 8};
        case MDB_BINARY:
            return {ftype::kBinary, -1};
        case MDB_TEXT:
            return {ftype::kText, -1};
        case MDB_OLE:
            return {ftype::kLongBinary, 0};
        case MDB_MEMO:
        case MDB_COMPLEX:
            return {ftype::kMemo, 0};
        case MDB_REPID:
            return {ftype::kGuid, 16};
        case MDB_NUMERIC:
            return {ftype::kDecimal, 16};
        case kStoredBigInt:
            return {ftype::kBigInt, 8};
        default:
            return {ftype::kBinary, -1};
    }
}

}  // namespace

FieldInfo DescribeField(const MdbColumn& column, bool wideText, int storedType) {
    FieldInfo field;
    field.name = column.name;
    const TypeOfColumn mapped = Map(storedType < 0 ? column.col_type : storedType);
    field.type = mapped.type;
    if (mapped.size >= 0) {
        field.size = mapped.size;
    } else if (field.type == ftype::kText && wideText) {
        field.size = column.col_size / 2;
    } else {
        field.size = column.col_size;
    }
    field.attributes = column.is_fixed ? attr::kFixedField : attr::kVariableField;
    if (column.is_long_auto)
        field.attributes |= attr::kAutoIncrField;
    return field;
}

}  // namespace tessel::db::jet
