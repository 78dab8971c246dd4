// The main processor's bus: memory images, the memory map, the four ports,
// the write-watch, and the loading of firmware and cartridge images.
#pragma once

#include <cstddef>
#include <cstdint>

extern uint8_t rom_cart[32768];  // cartridge area, indexed by machine address
extern uint8_t rom_7020[2048];   // processor internal ROM at 0xF800
extern uint8_t ram_2k[2048];     // external RAM at 0xC000
extern uint8_t rom_7041[4096];   // I/O processor ROM, rearranged (not on the bus)
extern uint8_t porta_val, portb_val, portc_val, portd_val;
extern uint16_t p_pc;            // address of the instruction being executed
extern uint16_t PC_ON_WRITE[65536];

int program_read_byte_8(long address);
void program_write_byte_8(long address, unsigned char value);
int io_read_byte_8(long port);
void io_write_byte_8(long port, unsigned char value);

int get_porta();
int get_portb();
void and_porta(unsigned char mask);
void or_porta(unsigned char mask);
unsigned short get_pc_write(unsigned short address);

// Firmware and cartridge loading. Each returns null on success or the
// message to show. The image forms take the files' contents from memory (the
// built-in firmware) and follow the same rules as the file forms.
const char *MemInit(const char *directory);
const char *MemInitImages(const uint8_t *bios7020, size_t bios7020_size, const uint8_t *rom7041,
                          size_t rom7041_size);
const char *RomLoad(const char *path);
const char *RomLoadImage(const uint8_t *image, size_t size);

void memory_clear_state();
