#pragma once

// C interface of the Profibus DP master card library ("PAPI.DLL"), as the
// Profibus DP driver calls it and the simulated card implements it. Every
// call returns a 16-bit result. Requests and received confirmations or
// indications share one 8-byte block; their data are byte buffers whose
// layout depends on the layer and service (16-bit numbers little-endian
// unless a field says otherwise).

#include <cstdint>

extern "C" {

// Request block: reference (slave index for the connection services 64,
// 65, 68, otherwise 0), layer (5 or 11), service, primitive (0 request,
// 1 confirmation, 2 indication), a zero byte, result (0 = positive).
struct PAPI_BLOCK {
    uint16_t ref;
    uint8_t layer;
    uint8_t service;
    uint8_t primitive;
    uint8_t reserved;
    uint16_t result;
};
static_assert(sizeof(PAPI_BLOCK) == 8, "the request block has 8 bytes");

// Room of the receive buffer and of every request's data.
#define PAPI_DATA_SIZE 256

// Data areas of profi_get_data / profi_set_data.
#define PAPI_AREA_IO 128
#define PAPI_AREA_FAULT 240

// profi_rcv_con_ind: nothing received, a block received, card fault.
#define PAPI_RCV_NONE 0
#define PAPI_RCV_BLOCK 1
#define PAPI_RCV_FAULT 7
// Busy: call again.
#define PAPI_BUSY 23

// Two buffers of 100 bytes each (card and library texts).
typedef uint16_t (*profi_get_versions_t)(char* Card, char* Library);
typedef uint16_t (*profi_set_default_t)(uint16_t A, uint16_t B, uint16_t C, uint16_t D);
// A 4-byte buffer.
typedef uint16_t (*profi_get_serial_device_number_t)(uint8_t* Number);
typedef uint16_t (*profi_end_t)();
// Length: the room of Data going in (PAPI_DATA_SIZE), the bytes received
// coming out.
typedef uint16_t (*profi_rcv_con_ind_t)(PAPI_BLOCK* Block, uint8_t* Data, uint16_t* Length);
typedef uint16_t (*profi_get_data_t)(uint16_t Area, uint16_t Offset, uint16_t* Length, uint8_t* Buffer);
// Data holds PAPI_DATA_SIZE bytes; Flags is 0.
typedef uint16_t (*profi_snd_req_res_t)(PAPI_BLOCK* Block, const uint8_t* Data, uint16_t Flags);
typedef uint16_t (*profi_set_data_t)(uint16_t Area, uint16_t Offset, uint16_t Length, const uint8_t* Buffer);
typedef uint16_t (*profi_get_last_error_t)();

} // extern "C"
