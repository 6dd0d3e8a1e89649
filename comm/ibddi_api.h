#pragma once

// C interface of the Interbus board's device driver library
// ("IBDDIWNT.DLL"), as the Interbus driver calls it and the simulated board
// implements it. Every call returns 0 on success or an error number.
// Mailbox messages and process images are byte sequences whose 16-bit
// words travel most significant byte first.

#include <cstdint>

extern "C" {

typedef int32_t IBDDIRET;
typedef int32_t IBDDIHND;

// Access rights of DDI_DevOpenNode.
#define DDI_READ 1
#define DDI_WRITE 2
#define DDI_RW 3

// DDI_MXI_RcvMessage: no message waiting.
#define ERR_NO_MSG 155

// A mailbox message: type, length in bytes (on receiving: the room of the
// buffer going in, the message length coming out), user id, the bytes.
struct T_DDI_MXI_ACCESS {
    uint16_t msgType;
    uint16_t msgLength;
    uint16_t DDIUserID;
    uint8_t* msgBlk;
};

// A process image access: length in bytes, first byte address, data.
struct T_DDI_DTI_ACCESS {
    uint16_t length;
    uint16_t address;
    uint16_t dataCons;
    uint8_t* data;
};

typedef IBDDIRET (*DDI_DevOpenNode_t)(const char* DevName, int32_t Perm, IBDDIHND* NodeHd);
typedef IBDDIRET (*DDI_DevCloseNode_t)(IBDDIHND NodeHd);
typedef IBDDIRET (*GetIBSDiagnostic_t)(IBDDIHND NodeHd, uint16_t* Diag);
typedef IBDDIRET (*DDI_MXI_SndMessage_t)(IBDDIHND NodeHd, T_DDI_MXI_ACCESS* Dscr);
typedef IBDDIRET (*DDI_MXI_RcvMessage_t)(IBDDIHND NodeHd, T_DDI_MXI_ACCESS* Dscr);
typedef IBDDIRET (*DDI_DTI_ReadData_t)(IBDDIHND NodeHd, T_DDI_DTI_ACCESS* Dscr);
typedef IBDDIRET (*DDI_DTI_WriteData_t)(IBDDIHND NodeHd, T_DDI_DTI_ACCESS* Dscr);

} // extern "C"
