#pragma once

// C interface of the CAN interface library ("nican.DLL"), as the CAN driver
// calls it and the simulated CAN card implements it. Every call returns a
// status: 0 success, negative an error, positive a warning.

#include <cstdint>

extern "C" {

typedef int32_t NCTYPE_STATUS;
typedef uint32_t NCTYPE_OBJH;
typedef uint32_t NCTYPE_ATTRID;
typedef uint32_t NCTYPE_STATE;

// Attributes.
#define NC_ATTR_START_ON_OPEN 0x80000006u
#define NC_ATTR_BAUD_RATE 0x80000007u
#define NC_ATTR_STATE 0x80000009u
#define NC_ATTR_READ_Q_LEN 0x80000013u
#define NC_ATTR_WRITE_Q_LEN 0x80000014u
#define NC_ATTR_COMM_TYPE 0x80000016u
#define NC_ATTR_COMP_STD 0x80010001u
#define NC_ATTR_MASK_STD 0x80010002u
#define NC_ATTR_COMP_XTD 0x80010003u
#define NC_ATTR_MASK_XTD 0x80010004u
#define NC_ATTR_RX_DATA_LEN 0x80010007u

// Bits of the state attribute, and of a notification's desired state.
#define NC_ST_READ_AVAIL 0x1u
#define NC_ST_ERROR 0x10u

// ncAction opcodes.
#define NC_OP_START 0x80000001u
#define NC_OP_RESET 0x80000003u

// ncRead found no frame that was not read before.
#define NC_WARN_OLD_DATA 0x40000009

#pragma pack(push, 1)
// A frame to write on the interface object (14 bytes).
struct NCTYPE_CAN_FRAME {
    uint32_t ArbitrationId;
    uint8_t IsRemote;
    uint8_t DataLength;
    uint8_t Data[8];
};
// What a receive object reads (16 bytes): time stamp and the data bytes.
struct NCTYPE_CAN_DATA_TIMED {
    uint64_t Timestamp;
    uint8_t Data[8];
};
#pragma pack(pop)
static_assert(sizeof(NCTYPE_CAN_FRAME) == 14);
static_assert(sizeof(NCTYPE_CAN_DATA_TIMED) == 16);

// Called in a thread of the library when an armed object reaches the
// desired state; the return value is the state to stay armed for (0 ends
// the notification).
typedef NCTYPE_STATE (*NCTYPE_NOTIFY_CALLBACK)(NCTYPE_OBJH ObjHandle, NCTYPE_STATE State, NCTYPE_STATUS Status,
                                               void* RefData);

typedef NCTYPE_STATUS (*ncConfig_t)(const char* ObjName, uint32_t NumAttrs, const NCTYPE_ATTRID* AttrIdList,
                                    const uint32_t* AttrValueList);
typedef NCTYPE_STATUS (*ncOpenObject_t)(const char* ObjName, NCTYPE_OBJH* ObjHandle);
typedef NCTYPE_STATUS (*ncCloseObject_t)(NCTYPE_OBJH ObjHandle);
typedef NCTYPE_STATUS (*ncRead_t)(NCTYPE_OBJH ObjHandle, uint32_t SizeofData, void* Data);
typedef NCTYPE_STATUS (*ncWrite_t)(NCTYPE_OBJH ObjHandle, uint32_t SizeofData, const void* Data);
typedef NCTYPE_STATUS (*ncGetAttribute_t)(NCTYPE_OBJH ObjHandle, NCTYPE_ATTRID AttrId, uint32_t SizeofAttr,
                                          void* Attr);
typedef NCTYPE_STATUS (*ncAction_t)(NCTYPE_OBJH ObjHandle, uint32_t Opcode, uint32_t Param);
typedef NCTYPE_STATUS (*ncCreateNotification_t)(NCTYPE_OBJH ObjHandle, NCTYPE_STATE DesiredState,
                                                int32_t Timeout, void* RefData, NCTYPE_NOTIFY_CALLBACK Callback);
typedef NCTYPE_STATUS (*ncReset_t)(const char* IntfName, uint32_t Param);

} // extern "C"
