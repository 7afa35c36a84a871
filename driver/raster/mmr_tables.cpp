#include "mmr_tables.h"

// The run-length codes of ITU-T T.4: terminating codes (Tables 2a and 2b), make-up codes
// (Table 3a) and the extended make-up codes for 1792..2560, which both colours share
// (Table 3b). Four codes a line; the comment names the first run length of the line. The
// arrays are left unsized here so that a missing or extra code conflicts with the header.

const MmrCode MMR_WHITE_CODES[] = {
    // terminating codes
    mmr_code("00110101"), mmr_code("000111"),   mmr_code("0111"),     mmr_code("1000"),      //    0
    mmr_code("1011"),     mmr_code("1100"),     mmr_code("1110"),     mmr_code("1111"),      //    4
    mmr_code("10011"),    mmr_code("10100"),    mmr_code("00111"),    mmr_code("01000"),     //    8
    mmr_code("001000"),   mmr_code("000011"),   mmr_code("110100"),   mmr_code("110101"),    //   12
    mmr_code("101010"),   mmr_code("101011"),   mmr_code("0100111"),  mmr_code("0001100"),   //   16
    mmr_code("0001000"),  mmr_code("0010111"),  mmr_code("0000011"),  mmr_code("0000100"),   //   20
    mmr_code("0101000"),  mmr_code("0101011"),  mmr_code("0010011"),  mmr_code("0100100"),   //   24
    mmr_code("0011000"),  mmr_code("00000010"), mmr_code("00000011"), mmr_code("00011010"),  //   28
    mmr_code("00011011"), mmr_code("00010010"), mmr_code("00010011"), mmr_code("00010100"),  //   32
    mmr_code("00010101"), mmr_code("00010110"), mmr_code("00010111"), mmr_code("00101000"),  //   36
    mmr_code("00101001"), mmr_code("00101010"), mmr_code("00101011"), mmr_code("00101100"),  //   40
    mmr_code("00101101"), mmr_code("00000100"), mmr_code("00000101"), mmr_code("00001010"),  //   44
    mmr_code("00001011"), mmr_code("01010010"), mmr_code("01010011"), mmr_code("01010100"),  //   48
    mmr_code("01010101"), mmr_code("00100100"), mmr_code("00100101"), mmr_code("01011000"),  //   52
    mmr_code("01011001"), mmr_code("01011010"), mmr_code("01011011"), mmr_code("01001010"),  //   56
    mmr_code("01001011"), mmr_code("00110010"), mmr_code("00110011"), mmr_code("00110100"),  //   60
    // make-up codes
    mmr_code("11011"),     mmr_code("10010"),     mmr_code("010111"),    mmr_code("0110111"),    //   64
    mmr_code("00110110"),  mmr_code("00110111"),  mmr_code("01100100"),  mmr_code("01100101"),   //  320
    mmr_code("01101000"),  mmr_code("01100111"),  mmr_code("011001100"), mmr_code("011001101"),  //  576
    mmr_code("011010010"), mmr_code("011010011"), mmr_code("011010100"), mmr_code("011010101"),  //  832
    mmr_code("011010110"), mmr_code("011010111"), mmr_code("011011000"), mmr_code("011011001"),  // 1088
    mmr_code("011011010"), mmr_code("011011011"), mmr_code("010011000"), mmr_code("010011001"),  // 1344
    mmr_code("010011010"), mmr_code("011000"),    mmr_code("010011011"),                         // 1600
    // extended make-up codes
    mmr_code("00000001000"),  mmr_code("00000001100"),  mmr_code("00000001101"),                 // 1792
    mmr_code("000000010010"), mmr_code("000000010011"), mmr_code("000000010100"),                // 1984
    mmr_code("000000010101"), mmr_code("000000010110"), mmr_code("000000010111"),                // 2176
    mmr_code("000000011100"), mmr_code("000000011101"), mmr_code("000000011110"),                // 2368
    mmr_code("000000011111"),                                                                    // 2560
};

const MmrCode MMR_BLACK_CODES[] = {
    // terminating codes
    mmr_code("0000110111"),   mmr_code("010"),          mmr_code("11"),           mmr_code("10"),            //    0
    mmr_code("011"),          mmr_code("0011"),         mmr_code("0010"),         mmr_code("00011"),         //    4
    mmr_code("000101"),       mmr_code("000100"),       mmr_code("0000100"),      mmr_code("0000101"),       //    8
    mmr_code("0000111"),      mmr_code("00000100"),     mmr_code("00000111"),     mmr_code("000011000"),     //   12
    mmr_code("0000010111"),   mmr_code("0000011000"),   mmr_code("0000001000"),   mmr_code("00001100111"),   //   16
    mmr_code("00001101000"),  mmr_code("00001101100"),  mmr_code("00000110111"),  mmr_code("00000101000"),   //   20
    mmr_code("00000010111"),  mmr_code("00000011000"),  mmr_code("000011001010"), mmr_code("000011001011"),  //   24
    mmr_code("000011001100"), mmr_code("000011001101"), mmr_code("000001101000"), mmr_code("000001101001"),  //   28
    mmr_code("000001101010"), mmr_code("000001101011"), mmr_code("000011010010"), mmr_code("000011010011"),  //   32
    mmr_code("000011010100"), mmr_code("000011010101"), mmr_code("000011010110"), mmr_code("000011010111"),  //   36
    mmr_code("000001101100"), mmr_code("000001101101"), mmr_code("000011011010"), mmr_code("000011011011"),  //   40
    mmr_code("000001010100"), mmr_code("000001010101"), mmr_code("000001010110"), mmr_code("000001010111"),  //   44
    mmr_code("000001100100"), mmr_code("000001100101"), mmr_code("000001010010"), mmr_code("000001010011"),  //   48
    mmr_code("000000100100"), mmr_code("000000110111"), mmr_code("000000111000"), mmr_code("000000100111"),  //   52
    mmr_code("000000101000"), mmr_code("000001011000"), mmr_code("000001011001"), mmr_code("000000101011"),  //   56
    mmr_code("000000101100"), mmr_code("000001011010"), mmr_code("000001100110"), mmr_code("000001100111"),  //   60
    // make-up codes
    mmr_code("0000001111"),    mmr_code("000011001000"),  mmr_code("000011001001"),  mmr_code("000001011011"),   //   64
    mmr_code("000000110011"),  mmr_code("000000110100"),  mmr_code("000000110101"),  mmr_code("0000001101100"),  //  320
    mmr_code("0000001101101"), mmr_code("0000001001010"), mmr_code("0000001001011"), mmr_code("0000001001100"),  //  576
    mmr_code("0000001001101"), mmr_code("0000001110010"), mmr_code("0000001110011"), mmr_code("0000001110100"),  //  832
    mmr_code("0000001110101"), mmr_code("0000001110110"), mmr_code("0000001110111"), mmr_code("0000001010010"),  // 1088
    mmr_code("0000001010011"), mmr_code("0000001010100"), mmr_code("0000001010101"), mmr_code("0000001011010"),  // 1344
    mmr_code("0000001011011"), mmr_code("0000001100100"), mmr_code("0000001100101"),                            // 1600
    // extended make-up codes
    mmr_code("00000001000"),  mmr_code("00000001100"),  mmr_code("00000001101"),                                // 1792
    mmr_code("000000010010"), mmr_code("000000010011"), mmr_code("000000010100"),                               // 1984
    mmr_code("000000010101"), mmr_code("000000010110"), mmr_code("000000010111"),                               // 2176
    mmr_code("000000011100"), mmr_code("000000011101"), mmr_code("000000011110"),                               // 2368
    mmr_code("000000011111"),                                                                                   // 2560
};
