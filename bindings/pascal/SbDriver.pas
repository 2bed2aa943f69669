{ SbDriver: the host contract of the sbdriver dispenser driver library for Delphi and Free Pascal hosts, the
  declarations of include/sbdriver/sbdriver.h in Pascal. docs/host-guide.md is the contract; its section "Pascal"
  tells how this unit maps it.

  A host loads the library, calls GetVM30 once with its port service object and calls the returned object's method
  table. Both objects begin with a pointer to their table: Driver^.Vtbl^.PollStatus(Driver, Point, 0).

  Every slot, handler and export is stdcall: on 32-bit Windows each argument is one 32-bit stack word (a Double
  two) and the callee removes them. On 64-bit systems stdcall is the platform's one convention, the C library's.
  32-bit systems other than Windows are not supported: their C library uses cdecl there. }
unit SbDriver;

{$IFDEF FPC}
  {$MODE DELPHI}
  {$PACKRECORDS C}
{$ENDIF}
{$IF Defined(CPU386) and not Defined(MSWINDOWS)}
  {$MESSAGE ERROR 'SbDriver: on 32-bit systems only Windows is supported'}
{$IFEND}

interface

const
{$IFDEF MSWINDOWS}
  SbDriverLibrary = 'sbdriver.dll';
{$ELSE}
  SbDriverLibrary = 'libsbdriver.so.2';
{$ENDIF}

  SB_T10_SPEED_CODE = $07000960; { port slot 17's speed code on a line with a T10 counting unit: 2400 baud, top byte 7 }

  { The Windows library's structured exceptions: ExceptionInformation[0] the Windows-1251 text, [1] its length. }
  SB_EXCEPTION_SERIAL_IO = $E0534249;
  SB_EXCEPTION_ABSTRACT = $E0534241;

  SB_FAILURES_RAISE = 0; { the default: a structured exception on Windows, a C++ exception on POSIX }
  SB_FAILURES_RETURN = 1; { a failing slot returns its neutral result; SbGetLastFailure tells why }

  SB_FAILURE_NONE = 0;
  SB_FAILURE_SERIAL_IO = 1; { a dispenser exchange failed }
  SB_FAILURE_ABSTRACT = 2; { slot 0 was called }
  SB_FAILURE_REFUSED = 3; { a price, preset or point the driver cannot carry was refused }

  SB_REASON_NONE = 0;
  SB_REASON_PORT_FAILED = 1; { the port service failed an exchange }
  SB_REASON_NOT_RECEIVING = 2; { the dispenser kept its line busy for more than ten poll cycles }
  SB_REASON_EXCHANGE_LIMIT = 3; { the call used up the exchanges one call may make }
  SB_REASON_NOT_SELECTED = 4; { START: the dispenser never answered ready to receive }
  SB_REASON_NOT_ACKNOWLEDGED = 5; { START: the dispenser kept refusing a block of the message }
  SB_REASON_START_REFUSED = 6; { START: the dispenser refused it }
  SB_REASON_VALUE_REFUSED = 7; { a price or preset refused; START not sent for one, or for an unpriced grade }
  SB_REASON_POINT_REFUSED = 8; { a point outside 1..32: the call did nothing }
  SB_REASON_NO_PORT_SERVICE = 9; { GetVM30 was given no port service: every exchange fails }

type
  PSbDriver = ^TSbDriver;
  PSbPortService = ^TSbPortService;
  PSbMenuItem = Pointer; { the host's menu objects (slot 24): see the header's SbMenuItemVtbl }

  { Slot 1's result: a length byte (31) and 31 Windows-1251 characters, no terminator. }
  TSbDescription = array[0..31] of Byte;
  PSbDescription = ^TSbDescription;
  { Slot 21's result: byte 0 the state code, byte 1 zero, byte 14 the code AND 7, byte 15 zero; the rest stays. }
  TSbStatusRecord = array[0..15] of Byte;
  PSbStatusRecord = ^TSbStatusRecord;

  { The handlers the driver hands the port service: the function, then the driver object it is called with first.
    The layout of Delphi's TMethod: a Delphi host may take them as methods of object, stdcall. }
  TSbReceiveFn = function(Data: Pointer; Point: Cardinal; Bytes: PByte; Unused: Cardinal; var Count: Byte;
    var ReplySize: Byte): Cardinal; stdcall; { 1, or 0 for a lone NAK }
  TSbLineSetupFn = function(Data: Pointer; Point: Cardinal): Integer; stdcall;
  TSbReceiveHandler = record
    Code: TSbReceiveFn;
    Data: Pointer;
  end;
  TSbLineSetupHandler = record
    Code: TSbLineSetupFn;
    Data: Pointer;
  end;
  TSbCreateMenuItem = function(Parent: PSbMenuItem; Index: Integer): PSbMenuItem; stdcall;

  { The driver object's method table, 25 slots in this fixed order (guide: "Host slots"). Points 1..32, grades
    1..6, volumes in litres, amounts and prices in money units; pass 0 for the unused words. }
  TSbDriverVtbl = record
    Abstract: procedure(Self: PSbDriver); stdcall; { 0 }
    Describe: procedure(Out_: PSbDescription; Self: PSbDriver); stdcall; { 1 }
    SetLineResult: procedure(Self: PSbDriver; Point, Value: Cardinal); stdcall; { 2 }
    GetLineResult: function(Self: PSbDriver; Point: Cardinal): Cardinal; stdcall; { 3 }
    FillingPointControl: function(Self: PSbDriver; Point, Unused, Control: Cardinal): Integer; stdcall; { 4 }
    Reserved5: procedure(Self: PSbDriver; Unused: Cardinal); stdcall; { 5 }
    FinalDeliveryData: procedure(Self: PSbDriver; Point, Unused: Cardinal; out Volume, Amount: Double);
      stdcall; { 6 }
    GetCounter: procedure(Self: PSbDriver; Point, Unused: Cardinal; Grade: Integer; out Volume, Amount: Double;
      Unused2, Unused3: Cardinal); stdcall; { 7 }
    Reserved8: procedure(Self: PSbDriver; A, B, C, D, E, F, G: Cardinal); stdcall; { 8 }
    CurrentDeliveryData: function(Self: PSbDriver; Point, Unused: Cardinal; out Amount: Double): Double;
      stdcall; { 9 }
    PollStatus: function(Self: PSbDriver; Point, Unused: Cardinal): Cardinal; stdcall; { 10 }
    SetPrice: procedure(Self: PSbDriver; Point, Unused: Cardinal; Grade: Integer; Unused2, Unused3: Cardinal;
      Price: Double); stdcall; { 11 }
    Reserved12: procedure(Self: PSbDriver; A, B, C: Cardinal); stdcall; { 12 }
    SetVolumePreset: procedure(Self: PSbDriver; Point, A, B, C: Cardinal; Volume: Double); stdcall; { 13 }
    SetAmountPreset: procedure(Self: PSbDriver; Point, A, B, C: Cardinal; Amount: Double); stdcall; { 14 }
    StartGrade1: procedure(Self: PSbDriver; Point, Second, Unused: Cardinal); stdcall; { 15 }
    OpenLine: function(Self: PSbDriver; Point: Cardinal): Integer; stdcall; { 16 }
    Reserved17: procedure(Self: PSbDriver; A, B, C: Cardinal); stdcall; { 17 }
    Reserved18: procedure(Self: PSbDriver; A, B, C, D: Cardinal); stdcall; { 18 }
    Start: procedure(Self: PSbDriver; Point, Unused: Cardinal; Grade: Integer; Mode: Cardinal); stdcall; { 19 }
    Capability: function(Self: PSbDriver; Code: Cardinal; var Answer: Integer): Cardinal; stdcall; { 20 }
    StatusRecord: procedure(Out_: PSbStatusRecord; Self: PSbDriver; Point, Second, Unused: Cardinal);
      stdcall; { 21 }
    SwitchPoint: procedure(Self: PSbDriver; Point, A, B, Control: Cardinal); stdcall; { 22 }
    SwitchPointAgain: procedure(Self: PSbDriver; Point, A, B, Control: Cardinal); stdcall; { 23 }
    HookMenu: procedure(Self: PSbDriver; Menus: PSbMenuItem; Create: TSbCreateMenuItem); stdcall; { 24 }
  end;
  PSbDriverVtbl = ^TSbDriverVtbl;
  TSbDriver = record
    Vtbl: PSbDriverVtbl;
  end;

  { The host's port service (guide: "The port service"): the driver calls slots 1, 4, 16, 17, 19 and 21; the
    others are the host's own. Point n names the host's line n. }
  TSbPortServiceVtbl = record
    Slot0: Pointer;
    { 1: the exchange's result when slot 16 or 4 raised: nonzero }
    ErrorResult: function(Self: PSbPortService; Point: Cardinal): Integer; stdcall;
    Slot2, Slot3: Pointer;
    { 4: after every exchange, low byte: 1 an answer came (or none was awaited), 2 none came or it failed }
    LineStatus: function(Self: PSbPortService; Point: Cardinal): Cardinal; stdcall;
    Slot5To15: array[5..15] of Pointer;
    { 16: sends Send[0..SendCount), writes the answer over the same buffer, reports it to the receive handler and
      returns 0; anything else is a failed exchange. ReplySize: 30 poll or select, 60 acknowledgement, 2 data
      block, 0 no answer awaited, 4 link unit counter. Zero is always 0. }
    SendReceive: function(Self: PSbPortService; Point: Cardinal; Send: PByte; SendCount: Cardinal;
      Receive: PByte; ReplySize, Zero: Cardinal): Integer; stdcall;
    { 17: sets the line up; Ten is always 10; SpeedCode: baud in the low 16 bits, top byte 7 on a T10 line }
    Configure: function(Self: PSbPortService; Point, Ten, SpeedCode: Cardinal): Integer; stdcall;
    Slot18: Pointer;
    { 19: the handler to call during this point's next send-and-receive }
    SetReceiveHandler: procedure(Self: PSbPortService; Point: Cardinal; Handler: TSbReceiveHandler); stdcall;
    Slot20: Pointer;
    { 21: the handler to call whenever the host sets the point's line up again }
    SetLineSetupHandler: procedure(Self: PSbPortService; Point: Cardinal; Handler: TSbLineSetupHandler); stdcall;
  end;
  PSbPortServiceVtbl = ^TSbPortServiceVtbl;
  TSbPortService = record
    Vtbl: PSbPortServiceVtbl;
  end;

  { A failure in return mode (guide: "Failures"). }
  TSbFailure = record
    Code: Cardinal; { SB_FAILURE_* }
    Cp1251: array[0..511] of AnsiChar; { the message, Windows-1251, zero-terminated }
    Utf8: array[0..1023] of AnsiChar; { the same in UTF-8 }
  end;

  { What a point's link has been through (guide: "Link statistics"); set Size to SizeOf(TSbLinkStatistics). }
  TSbLinkStatistics = record
    Size: Cardinal;
    Reserved: Cardinal;
    Exchanges, Answers, NoAnswers, NaksReceived, NaksSent, BadChecks, Waits, Refusals, Resends, ResetsAsked,
      ResetsSent, ExchangeLimits, LastAnswerUs, NowUs: UInt64;
  end;

{ The records as the C header lays them out: a compiler that packs them otherwise stops here. }
{$IF (SizeOf(TSbDescription) <> 32) or (SizeOf(TSbStatusRecord) <> 16) or (SizeOf(TSbFailure) <> 1540)
  or (SizeOf(TSbLinkStatistics) <> 120) or (SizeOf(TSbReceiveHandler) <> 2 * SizeOf(Pointer))
  or (SizeOf(TSbLineSetupHandler) <> 2 * SizeOf(Pointer)) or (SizeOf(TSbDriverVtbl) <> 25 * SizeOf(Pointer))
  or (SizeOf(TSbPortServiceVtbl) <> 22 * SizeOf(Pointer))}
  {$MESSAGE ERROR 'SbDriver: a record is not laid out as sbdriver.h lays it out'}
{$IFEND}

function GetVM30(Arg1: Cardinal; Owner: Pointer; Port: PSbPortService): PSbDriver; stdcall;
  external SbDriverLibrary name 'GetVM30';
function GetDriver25(Arg1: Cardinal; Owner: Pointer; Port: PSbPortService; A, B, C, D, E: Cardinal): PSbDriver;
  stdcall; external SbDriverLibrary name 'GetDriver25';
procedure SbSetFailureMode(Driver: PSbDriver; Mode: Cardinal); stdcall;
  external SbDriverLibrary name 'SbSetFailureMode';
{ 1 when this thread's latest slot call that can fail, on a driver in return mode, failed, with Failure filled. }
function SbGetLastFailure(out Failure: TSbFailure): Cardinal; stdcall;
  external SbDriverLibrary name 'SbGetLastFailure';
function SbGetLastFailureReason: Cardinal; stdcall; external SbDriverLibrary name 'SbGetLastFailureReason';
{ The bytes written into Statistics, 0 when refused. }
function SbGetLinkStatistics(Driver: PSbDriver; Point: Cardinal; var Statistics: TSbLinkStatistics): Cardinal;
  stdcall; external SbDriverLibrary name 'SbGetLinkStatistics';

implementation

end.
