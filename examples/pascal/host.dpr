{ A Pascal host (Delphi or Free Pascal) on the units of bindings/pascal: lends the driver the port service of
  SbSerialPort over one serial line, sells 5 litres of grade 2 at 45.90 on point 1, shows how its line fared and
  what a failed exchange looks like on point 2, which has no line. Failures come as results (SbSetFailureMode), so
  the same code runs on Windows and on POSIX, where the library's C++ exception cannot be caught.

  Usage: host DEVICE [TURNAROUND_MS]    DEVICE is point 1's line (COM1, /dev/ttyUSB0); TURNAROUND_MS how long the
  dispenser may take to begin its answer (default 50). A customer lifts nozzle 2 at the dispenser and hangs it up
  after the delivery. Exit code 0 when the delivery ended, point 1's line statistics were read and
  point 2's failure was reported. }
program host;

{$IFDEF FPC}
  {$MODE DELPHI}
{$ENDIF}
{$APPTYPE CONSOLE}

uses
  SysUtils, SbDriver, SbSerialDevice, SbSerialPort;

const
  Point = 1;
  NoLine = 2;
  Grade = 2;
  Polls = 500; { at most, while waiting for the customer or the delivery: 30 s or more on the line }

var
  Port: TSbSerialPortService;
  Driver: PSbDriver;
  Vm: PSbDriverVtbl;
  Dot: TFormatSettings;
  Turnaround: Integer;

{ After every slot that can fail: True, with the reason printed, when it failed. }
function Failed(const What: string): Boolean;
var
  Failure: TSbFailure;
begin
  Result := SbGetLastFailure(Failure) <> 0;
  if Result then { the UTF-8 text as it is; Failure.Cp1251 holds it in Windows-1251 }
    WriteLn(What, ' failed: ', PAnsiChar(@Failure.Utf8[0]), ' (reason ', SbGetLastFailureReason, ')');
end;

function Delivering(State: Cardinal): Boolean;
begin
  Result := (State >= $D8) and (State <= $DE);
end;

{ Polls point 1 until its state code lies in Low_..High_, showing the running figures while it delivers. With
  SaleEnd, any answered state but delivering after delivering also ends the wait: the dispenser's finished report
  may be drained inside the data read, and the point then goes from delivering straight to idle. False when a poll
  failed or the state never came. }
function PollUntil(Low_, High_: Cardinal; SaleEnd: Boolean = False): Boolean;
var
  I, State, Last: Cardinal;
  Volume, Amount: Double;
  Delivered: Boolean;
begin
  Last := $FFFF;
  Delivered := False;
  for I := 1 to Polls do
  begin
    State := Vm.PollStatus(Driver, Point, 0);
    if Failed('poll') then
      Exit(False);
    if State <> Last then
      WriteLn(Format('state %.2X', [State]));
    Last := State;
    if Delivering(State) then
    begin
      Volume := Vm.CurrentDeliveryData(Driver, Point, 0, Amount);
      if Failed('current data') then
        Exit(False);
      WriteLn(Format('  delivering: %.2f l, %.2f', [Volume, Amount], Dot));
    end;
    if (State >= Low_) and (State <= High_) then
      Exit(True);
    if Vm.GetLineResult(Driver, Point) = 2 then
      Continue; { unanswered: the last state reported }
    if SaleEnd and Delivered and not Delivering(State) then
      Exit(True);
    Delivered := Delivered or Delivering(State);
  end;
  Result := False;
end;

function PrintTotals(const When: string): Boolean;
var
  Volume, Amount: Double;
begin
  Vm.GetCounter(Driver, Point, 0, Grade, Volume, Amount, 0, 0);
  Result := not Failed('totals');
  if Result then
    WriteLn(Format('totals %s: %.2f l, %.2f', [When, Volume, Amount], Dot));
end;

{ What point 1's line went through so far; False when the driver refused the read. }
function PrintLink: Boolean;
var
  Stats: TSbLinkStatistics;
begin
  Stats.Size := SizeOf(Stats); { the driver fills what this version holds }
  Result := SbGetLinkStatistics(Driver, Point, Stats) <> 0;
  if Result then
    WriteLn(Format('line of point %d: %d exchanges, %d answered, %d unanswered, %d NAKs, %d resends',
      [Point, Stats.Exchanges, Stats.Answers, Stats.NoAnswers, Stats.NaksReceived, Stats.Resends]));
end;

function Sell: Boolean;
var
  Volume, Amount: Double;
begin
  Result := False;
  if Vm.OpenLine(Driver, Point) <> 0 then { the port service's Configure: 0 when the line is set up }
  begin
    WriteLn(Format('line %d: %s', [Point, Port.LastError(Point)]));
    Exit;
  end;
  Vm.SetPrice(Driver, Point, 0, Grade, 0, 0, 45.90);
  Vm.SetVolumePreset(Driver, Point, 0, 0, 0, 5.0);
  Vm.PollStatus(Driver, Point, 0);
  if Failed('poll') or (Vm.GetLineResult(Driver, Point) <> 1) then
  begin
    WriteLn(Format('point %d does not answer', [Point]));
    Exit;
  end;
  if not PrintTotals('before') then
    Exit;
  WriteLn(Format('waiting for the customer to lift nozzle %d', [Grade]));
  if not PollUntil($E0 + Grade, $E0 + Grade) then
    Exit;
  Vm.Start(Driver, Point, 0, Grade, 1);
  if Failed('START') or not PollUntil($D0, $D6, True) then { the sale is over: read its final figures }
    Exit;
  Vm.FinalDeliveryData(Driver, Point, 0, Volume, Amount);
  if Failed('final data') then
    Exit;
  WriteLn(Format('final: %.2f l, %.2f (line result %d)', [Volume, Amount, Vm.GetLineResult(Driver, Point)], Dot));
  if not PrintTotals('after') then
    Exit;
  { As after a serial adapter came back: the line is opened again and the driver sets it up at its speed. The
    customer hangs the nozzle up: the point is idle again. }
  if Port.SetUpAgain(Point) <> 0 then
  begin
    WriteLn(Format('line %d: %s', [Point, Port.LastError(Point)]));
    Exit;
  end;
  Result := PollUntil($C0, $C0) and PrintLink and (Volume > 0);
end;

{ Point 2 has no line: the poll fails at the port, and the line result says the dispenser was not reached. }
function FailWithoutLine: Boolean;
begin
  Vm.PollStatus(Driver, NoLine, 0);
  Result := Failed('poll of point 2') and (SbGetLastFailureReason = SB_REASON_PORT_FAILED) and
    (Vm.GetLineResult(Driver, NoLine) = 2);
  WriteLn(Format('point 2: %s, line result %d', [Port.LastError(NoLine), Vm.GetLineResult(Driver, NoLine)]));
end;

begin
  Dot := FormatSettings;
  Dot.DecimalSeparator := '.';
  Turnaround := DefaultTurnaroundMs;
  if (ParamCount < 1) or (ParamCount > 2) or ((ParamCount = 2) and not TryStrToInt(ParamStr(2), Turnaround)) or
    (Turnaround < 0) then
  begin
    WriteLn(ErrOutput, 'usage: host DEVICE [TURNAROUND_MS]');
    Halt(2);
  end;
  Port := TSbSerialPortService.Create; { lives as long as the driver: to the end of the process }
  Port.AddLine(Point, ParamStr(1), Turnaround);
  Driver := GetVM30(0, nil, Port.Port);
  SbSetFailureMode(Driver, SB_FAILURES_RETURN);
  Vm := Driver.Vtbl;
  if Sell and FailWithoutLine then
    Halt(0);
  Halt(1);
end.
